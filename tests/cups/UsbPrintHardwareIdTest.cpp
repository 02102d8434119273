// The hardware ID of a USB printer as Windows forms it from the printer's IEEE 1284 device ID.
#include <gtest/gtest.h>

#include <algorithm>

#include "discovery/ModelTable.h"
#include "os/linux/DeviceId1284.h"

namespace os::linux_platform {
namespace {

TEST(DeviceId1284, FieldsByLongOrShortNameInAnyCase) {
  const std::string id = "MANUFACTURER:Hewlett-Packard;mdl: HP LaserJet 1020 ;CLS:PRINTER;SN:X1;";
  EXPECT_EQ(deviceIdMaker(id), "Hewlett-Packard");
  EXPECT_EQ(deviceIdModel(id), "HP LaserJet 1020");
  EXPECT_EQ(deviceIdSerial(id), "X1");
  EXPECT_EQ(deviceIdMaker("MDL:only;"), "");
  EXPECT_FALSE(deviceIdField("garbage without pairs", "MODEL", "MDL"));
}

// Published pairs: the parallel enumerator's documented example (HP LaserJet 4P), the
// hardware IDs Windows gave two USB printers (HP LaserJet 1020, P1007) in their registries and
// the USBPRINT documentation's example (whose checksum is only illustrative).
struct PublishedPair {
  const char* maker;
  const char* model;
  const char* hardwareId;  // after USBPRINT\ or LPTENUM\ .
};
constexpr PublishedPair kPublished[] = {
    {"Hewlett-Packard", "HP LaserJet 4P", "Hewlett-PackardHP_La7EE2"},
    {"Hewlett-Packard", "HP LaserJet 1020", "Hewlett-PackardHP_La26DD"},
    {"Hewlett-Packard", "HP LaserJet P1007", "Hewlett-PackardHP_La7BBA"},
    {"Hewlett-Packard", "HP Color LaserJet 550", "Hewlett-PackardHP_Co3115"},
};

TEST(UsbPrintHardwareId, NameAndModelAsWindowsCutsThem) {
  for (const PublishedPair& pair : kPublished) {
    const std::string id = usbPrintModelId(pair.maker, pair.model);
    EXPECT_EQ(usbPrintNameModel(pair.maker, pair.model), std::string(pair.hardwareId, 20));
    ASSERT_EQ(id.size(), 24u) << id;
    EXPECT_EQ(id.substr(0, 20), std::string(pair.hardwareId, 20));
  }
  EXPECT_EQ(usbPrintNameModel("Velkor", "P Series"), "VelkorP_Series");
}

TEST(UsbPrintHardwareId, AsWindowsFormedItInTheField) {
  // A hardware ID Windows gave a USB printer (an INF's USBPRINT\ line and its 1284 ID).
  EXPECT_EQ(usbPrintModelId("EPSON", "SC-P600 Series"), "EPSONSC-P600_Series730C");
}

TEST(UsbPrintHardwareId, ChecksumIsFourUpperCaseHexDigitsOfTheWholeText) {
  const std::string a = usbPrintChecksum("Hewlett-Packard", "HP LaserJet 1020");
  const std::string b = usbPrintChecksum("Hewlett-Packard", "HP LaserJet 1022");
  ASSERT_EQ(a.size(), 4u);
  EXPECT_EQ(a.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  // The part cut off still counts.
  EXPECT_NE(a, b);
}

// A plotter's printer device is recognised by the ID Windows forms for it: every row of the
// model table must be such an ID (compared without regard to case).
TEST(UsbPrintHardwareId, EveryModelTableRowIsAnIdWindowsForms) {
  for (const discovery::ModelEntry& row : discovery::modelTable()) {
    const std::string id = row.hardwareId;
    std::string joined = id.substr(0, id.size() - 4);
    std::replace(joined.begin(), joined.end(), '_', ' ');
    std::string formed = usbPrintModelId(joined, "");
    std::transform(formed.begin(), formed.end(), formed.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::string lower = id;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    EXPECT_EQ(formed, lower);
  }
}

}  // namespace
}  // namespace os::linux_platform
