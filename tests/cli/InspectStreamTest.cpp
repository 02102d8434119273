// inspect --stream: the file is converted once, so a pipe works as input; the stream goes to a
// new file beside OUT that takes OUT's place only when whole, so that a rejected file or a
// failed write leaves OUT as it was and nothing beside it.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/cli/RunVelkorctl.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#endif

namespace velkor::test {
namespace {

const std::string kOldStream = "an update stream from before\r";

// The stream of selvara(): its transfer line, then the data after the 0x4000-byte header.
std::vector<unsigned char> selvaraStream() {
  const std::string line = "PALL sample firmware 20000 22235354  \r";
  const std::vector<unsigned char> whole = buildSampleFirmware(selvara());
  std::vector<unsigned char> stream(line.begin(), line.end());
  stream.insert(stream.end(), whole.begin() + 0x4000, whole.end());
  return stream;
}

std::vector<unsigned char> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

class InspectStream : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(writeSampleFirmware(input, selvara()));
    std::ofstream(out, std::ios::binary) << kOldStream;
  }
  void expectOutAsBefore() {
    EXPECT_EQ(readWholeFile(out), bytesOf(kOldStream));
    EXPECT_EQ(outputs.entries(), std::vector<std::string>{"sample.stream"});
  }

  TempDirectory inputs, outputs;
  std::string input = inputs / "sample.cas";
  std::string out = outputs / "sample.stream";
};

TEST_F(InspectStream, AnAcceptedFileReplacesOutWhole) {
  const Outcome r = velkorctl({"inspect", input, "--stream", out});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(readWholeFile(out), selvaraStream());
  EXPECT_EQ(outputs.entries(), std::vector<std::string>{"sample.stream"});
}

TEST_F(InspectStream, ARejectedFileLeavesOutByteIdentical) {
  SampleFirmware uneven = selvara();
  uneven.dataCount = 0x20001;
  ASSERT_TRUE(writeSampleFirmware(input, uneven));
  for (const bool json : {false, true}) {
    std::vector<std::string> args = {"inspect", input, "--stream", out};
    if (json) args.push_back("--json");
    EXPECT_EQ(velkorctl(args).exit, 1);
    expectOutAsBefore();
  }
}

#ifndef _WIN32
// Ignores a signal while it lives, putting back the handler before.
class IgnoredSignal {
 public:
  explicit IgnoredSignal(int signal) : signal_(signal), before_(std::signal(signal, SIG_IGN)) {}
  ~IgnoredSignal() { std::signal(signal_, before_); }

 private:
  int signal_;
  void (*before_)(int);
};

// Holds the process's file size limit low while it lives, as a full disk would: writes past it
// fail (EFBIG) instead of ending the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &before_);
    rlimit low = before_;
    low.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &low);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &before_); }

 private:
  IgnoredSignal tooLarge_{SIGXFSZ};
  rlimit before_{};
};

TEST_F(InspectStream, AFailedWriteLeavesOutAndNoNewFile) {
  Outcome r;
  {
    const FileSizeLimit limit(4096);
    r = velkorctl({"inspect", input, "--stream", out});
  }
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err.find("velkorctl inspect: " + out +
                       ": Error: Update stream could not be "
                       "written. ("),
            0u)
      << r.err;
  expectOutAsBefore();
}

// Writes the bytes into the FIFO once velkorctl has opened it for reading, giving up after a
// few seconds so that a run that never opens it cannot hang the test.
void feedFifo(const std::string& fifo, const std::vector<unsigned char>& bytes) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int fd = -1;
  while (fd < 0 && std::chrono::steady_clock::now() < deadline) {
    fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // fails until there is a reader
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (fd < 0) return;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  close(fd);
}

TEST_F(InspectStream, AFileFromAPipeIsReadOnce) {
  const std::string fifo = inputs / "pipe.cas";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const IgnoredSignal closedEarly(SIGPIPE);
  std::thread writer(feedFifo, fifo, buildSampleFirmware(selvara()));
  const Outcome r = velkorctl({"inspect", fifo, "--stream", out, "--json"});
  writer.join();
  ASSERT_EQ(r.exit, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("\"accepted\":true,\"checksum\":\"0x22235354\""), std::string::npos);
  EXPECT_EQ(readWholeFile(out), selvaraStream());
}

TEST_F(InspectStream, OutKeepsItsPermissionsAndALinkStillLeadsToIt) {
  std::filesystem::permissions(out, std::filesystem::perms(0640));
  std::filesystem::create_symlink("sample.stream", outputs / "link.stream");
  const Outcome r = velkorctl({"inspect", input, "--stream", outputs / "link.stream"});
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_symlink(outputs / "link.stream"));
  EXPECT_EQ(readWholeFile(out), selvaraStream());
  EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(outputs.entries(), (std::vector<std::string>{"link.stream", "sample.stream"}));
}
#endif

}  // namespace
}  // namespace velkor::test
