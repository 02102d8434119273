// The shared temporary name and its file: which directory the name is in, that it stays, and
// that creating the file never opens what someone else put at the name.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "plotter/TempName.h"
#include "tests/support/SampleFirmware.h"
#include "tests/support/ScopedVariable.h"

namespace velkor::test {
namespace {

namespace fs = std::filesystem;
using namespace plotter;

// TEMP names a directory of this test program's own before any test runs, and TMP, which would
// come first, names none, so that the name the first test fixes for the run lies there.
class TempDirectory : public ::testing::Environment {
 public:
  void SetUp() override {
    fs::create_directories(directory_.path());
    temp_.emplace("TEMP", directory_.string().c_str());
    tmp_.emplace("TMP", nullptr);
  }
  void TearDown() override {
    tmp_.reset();
    temp_.reset();
    std::error_code ignored;
    fs::remove_all(directory_.path(), ignored);
  }
  static const TempFile& directory() { return directory_; }

 private:
  static inline TempFile directory_{""};
  std::optional<ScopedVariable> temp_;
  std::optional<ScopedVariable> tmp_;
};
const ::testing::Environment* const kTempDirectory =
    ::testing::AddGlobalTestEnvironment(new TempDirectory);

std::string contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Creates the file of the shared name and writes text to it; false if it could not be made.
bool createWith(const std::string& text) {
  os::UniqueFile file = createTempFile();
  if (!file) return false;
  std::fputs(text.c_str(), file.get());
  return std::fclose(file.release()) == 0;
}

class TempNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureTempName();
    removeTempFile();  // each test starts with no file of this run at the name
  }
  void TearDown() override {
    removeTempFile();
    std::error_code ignored;
    fs::remove(name(), ignored);
  }
  static fs::path name() { return tempName(); }
};

TEST_F(TempNameTest, NameIsFixedOnceInTheTempDirectoryWithThePrefix) {
  const std::string first = tempName();
  const fs::path path(first);
  EXPECT_EQ(path.parent_path(), TempDirectory::directory().path());
  const std::string file = path.filename().string();
  ASSERT_EQ(file.rfind("~plusb", 0), 0u) << file;
  EXPECT_GT(file.size(), 6u);
  EXPECT_EQ(file.find_first_not_of("0123456789", 6), std::string::npos) << file;
  ensureTempName();
  EXPECT_EQ(tempName(), first);
}

// TMP first, as the C library's unique-name service takes it, then TEMP; a variable whose
// directory is not there is passed over.
TEST(TempDirectoryTest, TmpComesBeforeTempWhenItsDirectoryIsThere) {
  const fs::path base = TempDirectory::directory().path();
  const fs::path tmp = base / "tmp";
  const fs::path temp = base / "temp";
  fs::create_directories(tmp);
  fs::create_directories(temp);
  const fs::path missing = base / "missing";
  {
    ScopedVariable tmpSet("TMP", tmp.string().c_str());
    ScopedVariable tempSet("TEMP", temp.string().c_str());
    EXPECT_EQ(tempDirectory(), tmp.string());
  }
  {
    ScopedVariable tmpSet("TMP", missing.string().c_str());
    ScopedVariable tempSet("TEMP", temp.string().c_str());
    EXPECT_EQ(tempDirectory(), temp.string());
  }
  {
    ScopedVariable tmpSet("TMP", "");
    ScopedVariable tempSet("TEMP", temp.string().c_str());
    EXPECT_EQ(tempDirectory(), temp.string());
  }
  {
    ScopedVariable tmpSet("TMP", missing.string().c_str());
    ScopedVariable tempSet("TEMP", missing.string().c_str());
    const std::string fallback = tempDirectory();
    EXPECT_NE(fallback, missing.string());
    EXPECT_TRUE(fs::is_directory(fallback)) << fallback;
  }
  EXPECT_EQ(tempDirectory(), base.string()) << "the variables are as they were";
}

TEST_F(TempNameTest, FileThisRunCreatedIsReplacedAndRemoved) {
  ASSERT_TRUE(createWith("old stream"));
  ASSERT_TRUE(createWith("new"));
  EXPECT_EQ(contents(name()), "new");
  removeTempFile();
  EXPECT_FALSE(fs::exists(fs::symlink_status(name())));
}

TEST_F(TempNameTest, FileSomeoneElsePutThereIsNeitherOpenedNorRemoved) {
  writeText(name(), "theirs");
  errno = 0;
  EXPECT_EQ(createTempFile(), nullptr);
  EXPECT_EQ(errno, EEXIST);
  removeTempFile();
  EXPECT_EQ(contents(name()), "theirs");
}

TEST_F(TempNameTest, LinkAtTheNameIsNeverFollowed) {
#if defined(_WIN32)
  GTEST_SKIP() << "skipped: making a symbolic link needs a privilege Windows test runs lack";
#else
  const fs::path target = TempDirectory::directory().path() / "precious.bin";
  writeText(target, "precious");
  fs::create_symlink(target, name());
  errno = 0;
  EXPECT_EQ(createTempFile(), nullptr) << "a link someone planted stays unopened";
  EXPECT_EQ(errno, EEXIST);
  fs::remove(name());
  // A link put in place of this run's own file goes itself; its target stays as it was.
  ASSERT_TRUE(createWith("ours"));
  fs::remove(name());
  fs::create_symlink(target, name());
  ASSERT_TRUE(createWith("new"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name())));
  EXPECT_EQ(contents(target), "precious");
  fs::remove(target);
#endif
}

}  // namespace
}  // namespace velkor::test
