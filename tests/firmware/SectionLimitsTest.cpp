// Every section's size limits at their edges, odd counts, short files and unknown keywords;
// a rejected file gets its text and -1 and leaves the output empty.
#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/DataBuffer.h"
#include "tests/firmware/Conversion.h"

namespace velkor::test {
namespace {

struct Limits {
  const char* keyword;
  size_t minimum;
  size_t maximum;
};

std::string sizeText(size_t n) {
  return "Error: Data File too small or too large: " + std::to_string(n) + " bytes.\n";
}
std::string unevenText(size_t n) {
  return "Error: Number of bytes in data file is uneven: " + std::to_string(n) + " .\n";
}

SampleFirmware image(const char* keyword, size_t n) {
  SampleFirmware s;
  s.keyword = keyword;
  s.dataCount = n;
  return s;
}

void expectRejected(const Conversion& c, const std::string& log) {
  EXPECT_EQ(c.result, -1);
  EXPECT_EQ(c.log, log);
  EXPECT_TRUE(c.stream.empty());
}

class SectionLimits : public testing::TestWithParam<Limits> {};

TEST_P(SectionLimits, MinimumAndMaximumAreAcceptedAndOnePastIsNot) {
  const Limits l = GetParam();
  for (size_t n : {l.minimum, l.maximum}) {
    const Conversion c = convertSample(image(l.keyword, n));
    EXPECT_GE(c.result, 0) << l.keyword << " " << n << ": " << c.log;
    EXPECT_EQ(c.summary.dataCount, n);
    const std::vector<unsigned char> data = dataOf(image(l.keyword, n));
    ASSERT_GT(c.stream.size(), n);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), c.stream.end() - static_cast<long>(n)));
  }
  expectRejected(convertSample(image(l.keyword, l.minimum - 2)), sizeText(l.minimum - 2));
  expectRejected(convertSample(image(l.keyword, l.maximum + 2)), sizeText(l.maximum + 2));
}

TEST_P(SectionLimits, OddCountGivesTheUnevenTextNeverTheSizeText) {
  const Limits l = GetParam();
  expectRejected(convertSample(image(l.keyword, l.minimum + 1)), unevenText(l.minimum + 1));
  expectRejected(convertSample(image(l.keyword, l.maximum + 1)), unevenText(l.maximum + 1));
  expectRejected(convertSample(image(l.keyword, 1)), unevenText(1));
}

INSTANTIATE_TEST_SUITE_P(EverySection, SectionLimits,
                         testing::Values(Limits{"PROG", 0x10000, 0x200000},
                                         Limits{"BOOT", 0x4000, 0x10000},
                                         Limits{"CONF", 0x4000, 0x8000},
                                         Limits{"BSAP", 0x14000, 0x200000},
                                         Limits{"PALL", 0x20000, 0x204000},
                                         Limits{"XXXX", 0x10000, 0x200000}),
                         [](const auto& row) { return std::string(row.param.keyword); });

TEST(SectionHeader, UnknownKeywordIsReadAsProgramWithItsLongHeader) {
  SampleFirmware s = image("XXXX", 0x10000);
  const Conversion c = convertSample(s);
  EXPECT_GE(c.result, 0) << c.log;
  EXPECT_STREQ(c.summary.keyword, "PROG");
  // The same bytes after a 16,384-byte header are data to a "PALL" but too few for "XXXX".
  s.headerLength = 0x4000;
  expectRejected(convertSample(s), sizeText(0x4000));
}

TEST(SectionHeader, FileEndingInsideItsHeaderHasNoData) {
  SampleFirmware s = image("PALL", 0);
  s.truncateTo = 100;
  expectRejected(convertSample(s), sizeText(0));
  s.truncateTo = 0x4000 - 1;
  expectRejected(convertSample(s), sizeText(0));
  expectRejected(convertFile({}), sizeText(0));
}

TEST(SectionHeader, KeywordCountsOnlyOnceTheFifthByteIsRead) {
  // Four bytes "BOOT" keep the program header; with 16,384 bytes more they would be a BOOT file.
  expectRejected(convertFile({'B', 'O', 'O', 'T'}), sizeText(0));
  SampleFirmware boot = image("BOOT", 0x4000);
  boot.truncateTo = 5;
  expectRejected(convertSample(boot), sizeText(0));
}

TEST(SectionHeader, BytesBeyondTheBufferAreCountedNotStored) {
  const size_t n = firmware::kDataBufferCapacity + 10000;
  expectRejected(convertSample(image("PALL", n)), sizeText(n));
  expectRejected(convertSample(image("PALL", n + 1)), unevenText(n + 1));
}

TEST(SectionHeader, SmallFileAfterALargeOneSendsOnlyItsOwnBytes) {
  convertSample(image("PALL", 0x204000));
  SampleFirmware small = image("BOOT", 0x4000);
  small.fill = 0x33;
  const Conversion c = convertSample(small);
  ASSERT_GE(c.result, 0);
  const std::string line = "BOOT sample firmware 4000 6662e00  \r";
  std::vector<unsigned char> expected(line.begin(), line.end());
  const std::vector<unsigned char> data = dataOf(small);
  expected.insert(expected.end(), data.begin(), data.end());
  EXPECT_EQ(c.stream, expected);
}

}  // namespace
}  // namespace velkor::test
