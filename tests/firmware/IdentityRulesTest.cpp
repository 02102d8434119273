// The identity rules in their order, each reached by a whole image through the parser.
#include <gtest/gtest.h>

#include "tests/firmware/Conversion.h"
#include "usb/UsbIdentifiers.h"

namespace velkor::test {
namespace {

SampleFirmware image(const char* keyword, size_t n, Descriptor descriptor = Descriptor::None,
                     uint16_t productId = 0, std::vector<std::string> texts = {}) {
  SampleFirmware s;
  s.keyword = keyword;
  s.dataCount = n;
  s.descriptor = descriptor;
  s.productId = productId;
  s.texts = std::move(texts);
  return s;
}

SampleFirmware pall(Descriptor descriptor, uint16_t productId, std::vector<std::string> texts = {}) {
  return image("PALL", 0x20000, descriptor, productId, std::move(texts));
}

int identityOf(const SampleFirmware& s) {
  const Conversion c = convertSample(s);
  EXPECT_GE(c.result, 0) << c.log;
  return c.result;
}

TEST(IdentityRule1, FailedMarkerTakesTheProductAfterPatternAOrNothing) {
  SampleFirmware s = pall(Descriptor::PatternA, 0x4C11);
  s.marker = 3;  // "PALL" wants data byte 0 at most 2
  EXPECT_EQ(identityOf(s), 0x4C11);
  s.descriptor = Descriptor::PatternB;  // pattern B counts only once the marker passed
  EXPECT_EQ(identityOf(s), 0);
  SampleFirmware prog = image("PROG", 0x10000, Descriptor::PatternA, 0x4D12);
  prog.marker = 0;  // "PROG" wants data byte 4 above 0
  EXPECT_EQ(identityOf(prog), 0x4D12);
}

TEST(IdentityRule1, BootImageWithoutMarkerAlsoTakesPatternA) {
  SampleFirmware boot = image("BOOT", 0x4000, Descriptor::PatternA, 0x0204);
  boot.marker = 3;
  boot.generation = 3;
  EXPECT_EQ(identityOf(boot), 0x0204);
}

TEST(IdentityRule1, ConfigurationNeverPassesTheMarkerTest) {
  SampleFirmware conf = image("CONF", 0x4000, Descriptor::PatternA, 0x4D12);
  conf.marker = 0;
  EXPECT_EQ(identityOf(conf), 0x4D12);
  conf.descriptor = Descriptor::PatternB;
  EXPECT_EQ(identityOf(conf), 0);
}

TEST(IdentityRule2, BootImageIsNamedByItsGenerationByte) {
  SampleFirmware boot = image("BOOT", 0x4000, Descriptor::PatternB, 0x4C01);
  boot.generation = 3;
  EXPECT_EQ(identityOf(boot), 0x0005);
  boot.generation = 2;
  EXPECT_EQ(identityOf(boot), 0x0004);
  boot.generation = 1;
  EXPECT_EQ(identityOf(boot), 0x0001);
  boot.marker = 2;  // the edge of "at most 2"
  EXPECT_EQ(identityOf(boot), 0x0001);
}

TEST(IdentityRule3, ExtendedLineWithGeneration3BecomesItsSuccessor) {
  SampleFirmware bsap = image("BSAP", 0x14000, Descriptor::PatternB, 0x4D02);
  bsap.marker = 2;
  bsap.generation = 3;
  EXPECT_EQ(identityOf(bsap), 0x4D05);
  bsap.productId = 0x4DF2;  // bits 4-7 do not matter
  EXPECT_EQ(identityOf(bsap), 0x4D05);
  bsap.generation = 2;
  EXPECT_EQ(identityOf(bsap), 0x4DF2);
}

TEST(IdentityRule3, SameImageAsProgramFollowsItsByte4) {
  SampleFirmware prog = image("PROG", 0x10000, Descriptor::PatternB, 0x4D02);
  prog.generation = 3;
  prog.marker = 1;  // data byte 4 above 0: rule 3, but "PROG" is not extended
  EXPECT_EQ(identityOf(prog), 0x4D02);
  prog.marker = 0;  // rule 1: no pattern A
  EXPECT_EQ(identityOf(prog), 0);
}

TEST(IdentityRule3, LineL1IsToldApartByTheTextsInTheImage) {
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C01)), 0x4C01);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C01, {"KR A4"})), 0x4C04);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C01, {"MDL:Selvara 2;"})), 0x6C01);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C01, {"TLM BASIC"})), 0x4C04);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C01, {"MDL:Selvara 2;", "KR A4"})), 0x4C04);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C31, {"MDL:Selvara 2;"})), 0x6C01);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x4C02, {"KR A4"})), 0x4C02);
}

TEST(IdentityRule3, PatternBWinsOverTheLegacyPattern) {
  const std::string legacy = {0x00, 0x08, char(usb::kLegacyVendorId & 0xFF),
                              char(usb::kLegacyVendorId >> 8), 0x03, 0x02};
  EXPECT_EQ(identityOf(pall(Descriptor::PatternB, 0x5401, {legacy, "1.12 qd"})), 0x5401);
  EXPECT_EQ(identityOf(pall(Descriptor::None, 0, {legacy, "1.12 qd"})), 0x0301);
}

TEST(IdentityRule4, LegacyImagesAreNamedByTheirVersionTexts) {
  EXPECT_EQ(identityOf(pall(Descriptor::Legacy, usb::kLegacyProductId, {"1.14a qdKR A4"})), 0x0304);
  EXPECT_EQ(identityOf(pall(Descriptor::Legacy, usb::kLegacyProductId, {"1.14aKR A4"})), 0x0604);
  EXPECT_EQ(identityOf(pall(Descriptor::Legacy, usb::kLegacyProductId, {"1.12 qd"})), 0x0301);
  EXPECT_EQ(identityOf(pall(Descriptor::Legacy, usb::kLegacyProductId)), 0x0601);
}

TEST(IdentityRule5, PassedMarkerWithoutDescriptorsGivesNoIdentity) {
  EXPECT_EQ(identityOf(pall(Descriptor::None, 0)), 0);
  EXPECT_EQ(identityOf(pall(Descriptor::PatternA, 0x4C01)), 0);
}

TEST(DescriptorPattern, NeedsTwoBytesAfterItToCount) {
  SampleFirmware s = pall(Descriptor::PatternB, 0x4D12);
  s.descriptorAt = 0x20000 - 6;  // idProduct is the last two data bytes
  EXPECT_EQ(identityOf(s), 0x4D12);
  s.descriptorAt = 0x20000 - 5;  // only one byte of idProduct fits
  EXPECT_EQ(identityOf(s), 0);
}

}  // namespace
}  // namespace velkor::test
