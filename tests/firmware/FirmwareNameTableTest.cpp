// The name table against the identity codes the parser can produce, and the lookup's rules.
#include "firmware/FirmwareNameTable.h"

#include <gtest/gtest.h>

#include <string>

#include "firmware/ClassTable.h"
#include "firmware/IdentityCode.h"

namespace {

using firmware::lookupFirmwareNames;

std::string model(int code) {
  return lookupFirmwareNames(firmware::deviceTypeOf(uint16_t(code)), firmware::manufacturerCodeOf(uint16_t(code))).model;
}

TEST(FirmwareNameTable, Has47RowsAndTheUnknownEndRow) {
  const auto table = firmware::firmwareNameTable();
  ASSERT_EQ(table.size(), 48u);
  for (size_t i = 0; i + 1 < table.size(); ++i) EXPECT_NE(table[i].typeByte, 0) << i;
  EXPECT_STREQ(table.back().manufacturer, "unknown");
  EXPECT_STREQ(table.back().model, "unknown");
  EXPECT_EQ(table.back().typeByte, 0);
  EXPECT_EQ(table.back().manufacturerCode, 0);
}

TEST(FirmwareNameTable, EveryCodeTheIdentityRulesProduceHasANamedLine) {
  for (int code : {0x4C01, 0x4C04, 0x6C01, 0x4D02, 0x4D05, 0x0301, 0x0304, 0x0601, 0x0604,
                        0x0001, 0x0004, 0x0005, 0x4D12, 0x4C11}) {
    EXPECT_NE(model(code), "unknown") << std::hex << code;
  }
}

TEST(FirmwareNameTable, ManufacturerCode6IsLookedUpAs0) {
  const firmware::FirmwareNames oldest = lookupFirmwareNames(4, 6);
  const firmware::FirmwareNames generic = lookupFirmwareNames(4, 0);
  EXPECT_STREQ(oldest.model, generic.model);
  EXPECT_STREQ(oldest.manufacturer, "generic");
}

TEST(FirmwareNameTable, LookupIgnoresTheHighNibbleAndTheFirstOfSharedKeysCounts) {
  EXPECT_EQ(model(0x4C11), model(0x4C01));  // rows 0x11 and 0x21 share type 1 of 'L'
  EXPECT_EQ(model(0x4C01), "Linnea 30");
}

TEST(FirmwareNameTable, NoIdentityMeansUnknownNames) {
  const firmware::FirmwareNames none = lookupFirmwareNames(0, 0);
  EXPECT_STREQ(none.model, "unknown");
  EXPECT_STREQ(none.manufacturer, "unknown");
  EXPECT_STREQ(lookupFirmwareNames(1, 0x7A).model, "unknown");
}

TEST(ClassTable, TypesBeyondTheTableAreClassesOfTheirOwn) {
  EXPECT_EQ(firmware::hardwareClass(3), 1);
  EXPECT_EQ(firmware::hardwareClass(6), 5);
  for (int type = 12; type < 16; ++type) EXPECT_EQ(firmware::hardwareClass(type), type);
}

}  // namespace
