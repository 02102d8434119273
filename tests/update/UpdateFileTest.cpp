// The firmware file and the temporary file of an update: what is refused before anything is
// sent, with which message, and what is left on disk.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#ifdef __linux__
#include <sys/resource.h>
#endif

#include "tests/update/UpdateTest.h"

namespace velkor::test {
namespace {

#ifdef _WIN32
constexpr char kAccent[] = "\xB4";  // the system's code page
#else
constexpr char kAccent[] = "\xC2\xB4";
#endif

class UpdateFile : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    plotter_ = &plugIn();
    addRecord(discovery::kConnectionDriver);
  }

  void expectRefused(const std::string& path, const std::string& text, int connection = 2) {
    prompter = {};
    EXPECT_EQ(update(path, connection, 1), -2);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{text});
    EXPECT_TRUE(plotter_->jobs().files().empty());
  }

  sim::VirtualPlotter* plotter_ = nullptr;
};

TEST_F(UpdateFile, NoFileOrNoWayToThePlotterIsRefusedAndCreatesNothing) {
  expectRefused("", "Firmware update file not selected\n");
  const std::string missing = TempFile().string();
  expectRefused(missing, "Could not open firmware update file\n" + missing);
  const std::string file = firmwareFile(0x0001);
  for (int connection : {0, 1}) {
    expectRefused(file,
                  "This plotter's connection cannot take a firmware update\n"
                  "The update was not sent\n",
                  connection);
  }
  discovery::plotterList().selected = -1;
  expectRefused(file, "The selected plotter is not known\nThe update was not sent\n", 3);
  EXPECT_FALSE(tempFileExists());
}

TEST_F(UpdateFile, FileThatIsNoFirmwareIsAWrongFormatAndItsStreamFileStays) {
  TempFile file;
  std::ofstream(file.path(), std::ios::binary) << "not a firmware file";
  expectRefused(file.string(),
                std::string("Error processing firmware update file") + kAccent + ". Wrong format?");
  EXPECT_EQ(log, "Error: Data File too small or too large: 0 bytes.\n");
  EXPECT_TRUE(tempFileExists());
}

TEST_F(UpdateFile, FileAtTheTemporaryNameThatIsNotOursIsNeverWrittenInto) {
  plotter::ensureTempName();
  const std::string name = plotter::tempName();
  std::ofstream(name, std::ios::binary) << "someone else's";
  expectRefused(firmwareFile(0x0001), "Could not open temporary file\n" + name);
  const std::vector<unsigned char> after = readWholeFile(name);
  EXPECT_EQ(std::string(after.begin(), after.end()), "someone else's");
  std::filesystem::remove(name);
}

TEST_F(UpdateFile, StreamThatCannotBeWrittenWholeIsAWriteFailureAndGoes) {
#ifdef __linux__
  const std::string file = firmwareFile(0x0001);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = 65536;  // half the stream: the disk is full there
  void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &lowered);
  expectRefused(file, std::string("Could not write temporary file\n") + plotter::tempName());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);
  EXPECT_FALSE(tempFileExists());
#else
  GTEST_SKIP() << "a full disk is a file size limit, on Linux only";
#endif
}

}  // namespace
}  // namespace velkor::test
