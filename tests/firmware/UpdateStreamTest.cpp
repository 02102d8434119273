// The update stream, byte for byte: the transfer line of the file's title, count and checksum,
// then the data exactly as read.
#include <gtest/gtest.h>

#include <cstring>

#include "firmware/TransferLine.h"
#include "tests/firmware/Conversion.h"

namespace velkor::test {
namespace {

SampleFirmware constantImage(const char* keyword, const std::string& note, size_t n, uint8_t fill) {
  SampleFirmware s;
  s.keyword = keyword;
  s.headerNote = note;
  s.dataCount = n;
  s.fill = fill;
  s.marker.reset();
  return s;
}

std::vector<unsigned char> streamOf(const std::string& line, const std::vector<unsigned char>& data) {
  std::vector<unsigned char> stream(line.begin(), line.end());
  stream.insert(stream.end(), data.begin(), data.end());
  return stream;
}

TEST(TransferLine, EvenLengthBeforeTheLineEndGetsASpaceAndACarriageReturn) {
  const firmware::TransferLine line = firmware::makeTransferLine("PROG", 0x20000, 0x1234ABCD);
  EXPECT_EQ(std::string(line.text, line.length), "PROG 20000 1234abcd  \r");
  EXPECT_EQ(line.length, 22u);
}

TEST(TransferLine, CountsAreLowercaseHexWithoutLeadingZeros) {
  const firmware::TransferLine line = firmware::makeTransferLine("BOOT1", 0x4000, 0);
  EXPECT_EQ(std::string(line.text, line.length), "BOOT1 4000 0 \r");
  const firmware::TransferLine widest = firmware::makeTransferLine("X", 0xFFFFFFFF, 0xFFFFFFFF);
  EXPECT_EQ(std::string(widest.text, widest.length), "X ffffffff ffffffff  \r");
}

TEST(Checksum, BigEndianPairsSummedModulo32BitsForAnyLength) {
  std::vector<unsigned char> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 37 + 11);
  for (size_t n : {0u, 1u, 2u, 255u, 256u, 257u, 258u, 511u, 512u, 999u, 1000u}) {
    uint32_t sum = 0;
    for (size_t i = 0; i < n; ++i) sum += i % 2 == 0 ? uint32_t(data[i]) << 8 : data[i];
    EXPECT_EQ(firmware::checksumOf(data.data(), n), sum) << n;
  }
  const std::vector<unsigned char> ones(0x20000, 0xFF);
  EXPECT_EQ(firmware::checksumOf(ones.data(), ones.size()), 0x10000u * 0xFFFFu);
}

TEST(UpdateStream, OddLineEndsInOneCarriageReturnAndTheDataFollowsUnchanged) {
  const SampleFirmware sample = constantImage("BOOT", " v1", 0x4000, 0x11);
  const Conversion c = convertSample(sample);
  ASSERT_EQ(c.result, 0) << c.log;  // byte 0 is 0x11: no marker, and no pattern A
  EXPECT_EQ(c.stream, streamOf("BOOT v1 4000 2222000 \r", dataOf(sample)));
}

TEST(UpdateStream, EvenLineEndsInSpaceCarriageReturn) {
  const SampleFirmware sample = constantImage("PALL", " sample firmware", 0x20000, 0x22);
  const Conversion c = convertSample(sample);
  ASSERT_EQ(c.result, 0) << c.log;
  EXPECT_EQ(c.stream, streamOf("PALL sample firmware 20000 22220000  \r", dataOf(sample)));
  EXPECT_EQ(c.log, "Sending program data\n\n PALL sample firmware\n\n Please wait...\n");
}

TEST(UpdateStream, ChecksumWrapsModulo32BitsAtTheLargestImage) {
  const SampleFirmware sample = constantImage("PALL", "", 0x204000, 0xFF);
  const Conversion c = convertSample(sample);
  ASSERT_EQ(c.result, 0) << c.log;
  EXPECT_EQ(c.stream, streamOf("PALL 204000 1fefe000 \r", dataOf(sample)));
}

TEST(UpdateStream, RealImageCarriesItsOwnChecksumAndBytes) {
  SampleFirmware sample;  // pseudo-random bytes, pattern B, marker passed
  sample.descriptor = Descriptor::PatternB;
  sample.productId = 0x4D12;
  const std::vector<unsigned char> data = dataOf(sample);
  uint32_t sum = 0;
  for (size_t i = 0; i < data.size(); i += 2) sum += uint32_t(data[i]) * 256 + data[i + 1];
  char line[64];
  std::snprintf(line, sizeof line, "PALL sample firmware 20000 %lx ", static_cast<unsigned long>(sum));
  const std::string end = std::strlen(line) % 2 ? "\r" : " \r";
  const Conversion c = convertSample(sample);
  EXPECT_EQ(c.result, 0x4D12);
  EXPECT_EQ(c.stream, streamOf(line + end, data));
}

TEST(UpdateStream, TitleIsTheFirst24CharactersOfTheHeaderText) {
  const Conversion c =
      convertSample(constantImage("PALL", " 0123456789abcdefghijklmnopqrstuvwxyz", 0x20000, 0x22));
  EXPECT_EQ(text(c.stream).substr(0, 42), "PALL 0123456789abcdefghi 20000 22220000  \r");
  EXPECT_NE(c.log.find("PALL 0123456789abcdefghijklmnopqrstuvwxyz\n"), std::string::npos);
}

TEST(UpdateStream, TitleEndsAtTheFirstNul) {
  const SampleFirmware sample =
      constantImage("PALL", std::string(" abcde\0rest", 11), 0x20000, 0x22);
  const Conversion c = convertSample(sample);
  EXPECT_EQ(text(c.stream).substr(0, 26), "PALL abcde 20000 22220000 ");
}

TEST(UpdateStream, HeaderTextHoldsAtMost128Characters) {
  const Conversion c = convertSample(constantImage("PALL", std::string(300, 'h'), 0x20000, 0));
  const std::string header = "PALL" + std::string(124, 'h');
  EXPECT_EQ(std::string(c.summary.headerText), header);
  EXPECT_EQ(c.log, "Sending program data\n\n " + header + "\n\n Please wait...\n");
}

TEST(UpdateStream, NullOutputChecksWithoutWriting) {
  TempFile input;
  ASSERT_TRUE(writeSampleFirmware(input.path(), constantImage("CONF", "", 0x4000, 0x22)));
  std::FILE* in = std::fopen(input.string().c_str(), "rb");
  char log[256] = "";
  firmware::FirmwareSummary summary{};
  EXPECT_EQ(firmware::convertFirmwareFile(in, nullptr, log, sizeof log, &summary), 0);
  std::fclose(in);
  EXPECT_STREQ(summary.keyword, "CONF");
  EXPECT_EQ(summary.dataCount, 0x4000u);
  EXPECT_EQ(summary.checksum, 0x2000u * 0x2222u);
}

}  // namespace
}  // namespace velkor::test
