// A read error must not pass for the end of the file, nor a failed write for a stream written:
// either would let a short image reach the plotter. Files whose reads and writes fail on cue
// are made with fopencookie, which only the GNU C library has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "firmware/ConvertFirmwareFile.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {
namespace {

#if defined(__GLIBC__)
#define SKIP_WITHOUT_FAILING_FILES()
#else
#define SKIP_WITHOUT_FAILING_FILES() \
  GTEST_SKIP() << "skipped: failing files need fopencookie (GNU C library)"
#endif

constexpr char kReadErrorText[] = "Error: Data File could not be read: read error after %d bytes.\n";
constexpr char kWriteErrorText[] = "Error: Update stream could not be written.\n";

// Bytes that can be read up to a point, then the medium fails; or written up to a point.
struct FailingMedium {
  std::vector<unsigned char> bytes;
  size_t at = 0;
  size_t failAt = 0;
};

#if defined(__GLIBC__)
ssize_t readMedium(void* cookie, char* to, size_t size) {
  auto* m = static_cast<FailingMedium*>(cookie);
  if (m->at >= m->failAt) return errno = EIO, -1;
  const size_t count = std::min({size, m->failAt - m->at, m->bytes.size() - m->at});
  std::copy_n(m->bytes.begin() + static_cast<long>(m->at), count, to);
  m->at += count;
  return static_cast<ssize_t>(count);
}

ssize_t writeMedium(void* cookie, const char* from, size_t size) {
  auto* m = static_cast<FailingMedium*>(cookie);
  if (m->at + size > m->failAt) return errno = ENOSPC, -1;
  m->bytes.insert(m->bytes.end(), from, from + size);
  m->at += size;
  return static_cast<ssize_t>(size);
}
#endif

std::FILE* open(FailingMedium& medium, const char* mode) {
#if defined(__GLIBC__)
  const cookie_io_functions_t io{readMedium, writeMedium, nullptr, nullptr};
  return fopencookie(&medium, mode, io);
#else
  (void)medium, (void)mode;
  return nullptr;
#endif
}

std::string readErrorText(size_t total) {
  char text[128];
  std::snprintf(text, sizeof text, kReadErrorText, static_cast<int>(total));
  return text;
}

struct Outcome {
  int result;
  std::string log;
};

Outcome convert(FailingMedium& input, FailingMedium& output) {
  std::FILE* in = open(input, "r");
  std::FILE* out = open(output, "w");
  char log[1024] = "";
  const int result = firmware::convertFirmwareFile(in, out, log, sizeof log);
  std::fclose(in);
  std::fclose(out);
  return {result, log};
}

// Constant bytes: the transfer line is 38 bytes long.
SampleFirmware pall(size_t n) {
  SampleFirmware s;
  s.dataCount = n;
  s.fill = 0x22;
  return s;
}

TEST(ConversionFaults, ReadErrorAfterAValidLookingPrefixIsNotTheEndOfTheFile) {
  SKIP_WITHOUT_FAILING_FILES();
  // Cut short after 0x20000 data bytes, the image would look like a whole "PALL" image.
  FailingMedium input{buildSampleFirmware(pall(0x30000)), 0, 0x4000 + 0x20000};
  FailingMedium output{{}, 0, SIZE_MAX};
  const Outcome o = convert(input, output);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.log, readErrorText(0x4000 + 0x20000));
  EXPECT_TRUE(output.bytes.empty());
}

TEST(ConversionFaults, ReadErrorInsideTheHeaderIsReportedWithItsPlace) {
  SKIP_WITHOUT_FAILING_FILES();
  FailingMedium input{buildSampleFirmware(pall(0x20000)), 0, 10};
  FailingMedium output{{}, 0, SIZE_MAX};
  const Outcome o = convert(input, output);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.log, readErrorText(10));
  EXPECT_TRUE(output.bytes.empty());
}

TEST(ConversionFaults, FailedWriteOfTheStreamIsAFailure) {
  SKIP_WITHOUT_FAILING_FILES();
  for (size_t room : {size_t{0}, size_t{4096}, size_t{0x20000}}) {
    FailingMedium input{buildSampleFirmware(pall(0x20000)), 0, SIZE_MAX};
    FailingMedium output{{}, 0, room};
    const Outcome o = convert(input, output);
    EXPECT_EQ(o.result, -1) << room;
    EXPECT_EQ(o.log.substr(o.log.size() - std::strlen(kWriteErrorText)), kWriteErrorText);
    EXPECT_LT(output.bytes.size(), 0x20000u + 38u);
  }
}

TEST(ConversionFaults, FullDiskIsSeenAtTheFlush) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (full == nullptr) GTEST_SKIP() << "skipped: no /dev/full here";
  TempFile input;
  ASSERT_TRUE(writeSampleFirmware(input.path(), pall(0x20000)));
  std::FILE* in = std::fopen(input.string().c_str(), "rb");
  char log[1024] = "";
  EXPECT_EQ(firmware::convertFirmwareFile(in, full, log, sizeof log), -1);
  std::fclose(in);
  std::fclose(full);
  EXPECT_NE(std::string(log).find(kWriteErrorText), std::string::npos);
}

TEST(ConversionFaults, WholeStreamThatFitsIsWritten) {
  SKIP_WITHOUT_FAILING_FILES();
  FailingMedium input{buildSampleFirmware(pall(0x20000)), 0, SIZE_MAX};
  FailingMedium output{{}, 0, 0x20000 + 38};
  const Outcome o = convert(input, output);
  EXPECT_EQ(o.result, 0) << o.log;
  EXPECT_EQ(output.bytes.size(), 0x20000u + 38u);
}

}  // namespace
}  // namespace velkor::test
