// The command tables of both editions: the codes that the editions' facts name lead to the
// rows they mean, and the update-only row shifts only the codes after it.
#include <gtest/gtest.h>

#include <string>

#include "plotter/CommandTable.h"

namespace velkor::test {
namespace {

using discovery::Edition;
using plotter::commandTable;
using plotter::findCommand;

constexpr int16_t kEscape = 0;
constexpr int16_t kVendorRequest = 1;

std::string nameOf(int16_t selector, Edition edition, int32_t code) {
  const plotter::CommandEntry* entry = findCommand(commandTable(selector, edition), code);
  return entry ? entry->name : "(none)";
}

TEST(CommandTableTest, EditionCodesNameTheirRowsInBothTables) {
  for (Edition edition : {Edition::Full, Edition::UpdateOnly}) {
    const discovery::EditionFacts& facts = discovery::editionFacts(edition);
    for (int16_t selector : {kEscape, kVendorRequest}) {
      EXPECT_EQ(nameOf(selector, edition, facts.setSerialNumberCode), "Set Serial Number");
      EXPECT_EQ(nameOf(selector, edition, facts.queryOnlineCode), "Query Online");
      EXPECT_EQ(nameOf(selector, edition, plotter::kFirmwareUpdate), "Firmware Update");
      EXPECT_EQ(nameOf(selector, edition, plotter::kGetSerialNumber), "Get Serial Number");
    }
  }
  EXPECT_EQ(nameOf(kEscape, Edition::UpdateOnly, 11), "Get Serial Number Mode");
  EXPECT_EQ(nameOf(kVendorRequest, Edition::Full, 12), "(none)");
  EXPECT_EQ(commandTable(kEscape, Edition::Full).size(), 13u);
  EXPECT_EQ(commandTable(kVendorRequest, Edition::UpdateOnly).size(), 14u);
}

}  // namespace
}  // namespace velkor::test
