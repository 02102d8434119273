// The model table's lookup and the facts its rows must keep: the identifiers the executor and
// the update procedure take from it agree with the firmware name table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "discovery/ModelTable.h"
#include "firmware/FirmwareNameTable.h"
#include "usb/UsbIdentifiers.h"

namespace velkor::test {
namespace {

using discovery::findModelByHardwareId;
using discovery::modelTable;

TEST(ModelTableTest, LookupIgnoresLetterCaseAndFindsTheFirstOfTwoEqualIds) {
  EXPECT_EQ(findModelByHardwareId("LindqvarLinnea_30e85f"), 10);
  EXPECT_EQ(findModelByHardwareId("LINDQVARLINNEA_30E85F"), 10);
  EXPECT_EQ(findModelByHardwareId("moravelmark_1cdae"), 22);  // row 49 repeats it
  EXPECT_EQ(std::string(modelTable()[49].hardwareId), modelTable()[22].hardwareId);
  EXPECT_EQ(findModelByHardwareId("LindqvarLinnea_30f9f"), -1);
  EXPECT_EQ(findModelByHardwareId(""), -1);
}

TEST(ModelTableTest, RowsKeepTheirDistributionAndAgreeWithTheFirmwareNames) {
  int escapeRows = 0;
  std::set<unsigned> productIds;
  for (const discovery::ModelEntry& row : modelTable()) {
    EXPECT_EQ(row.vendorId, usb::kVendorId);
    EXPECT_LE(std::string(row.hardwareId).size(), 24u);
    EXPECT_TRUE(row.sizeClass >= 0 && row.sizeClass <= 7) << row.hardwareId;
    EXPECT_TRUE(row.kind >= 0 && row.kind <= 2) << row.hardwareId;
    EXPECT_TRUE(row.brand > 0 && (row.brand & (row.brand - 1)) == 0 && row.brand <= 128);
    if (row.commandTableSelector == 0) ++escapeRows;
    productIds.insert(row.productId);
    // Every identity names a line of the firmware name table, not its end row.
    const auto names = firmware::lookupFirmwareNames(row.productId & 0x0F, row.productId >> 8);
    EXPECT_STRNE(names.model, "unknown") << row.hardwareId;
  }
  EXPECT_EQ(escapeRows, 26);
  EXPECT_LT(productIds.size(), modelTable().size());  // several rows share a product ID
}

}  // namespace
}  // namespace velkor::test
