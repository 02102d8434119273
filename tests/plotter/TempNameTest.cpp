// The shared temporary name and its file: where the name is, that it stays, and that creating
// the file never opens what someone else put at the name.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "plotter/TempName.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {
namespace {

namespace fs = std::filesystem;
using namespace plotter;

// TEMP names a directory of this test program's own before any test runs, so that the name
// the first test fixes for the run lies there.
class TempDirectory : public ::testing::Environment {
 public:
  void SetUp() override {
    fs::create_directories(directory_.path());
#if defined(_WIN32)
    _putenv_s("TEMP", directory_.string().c_str());
#else
    setenv("TEMP", directory_.string().c_str(), 1);
#endif
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(directory_.path(), ignored);
  }
  static const TempFile& directory() { return directory_; }

 private:
  static inline TempFile directory_{""};
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
