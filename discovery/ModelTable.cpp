#include "discovery/ModelTable.h"

#include "discovery/CaseInsensitive.h"
#include "usb/UsbIdentifiers.h"

namespace discovery {
namespace {

using usb::kVendorId;

// This project's own rows. Product IDs are identity codes (manufacturer code in the high byte,
// device type in the low nibble) of the lines in firmware/FirmwareNameTable.cpp; the hardware
// IDs are the manufacturer and line with blanks as underscores and four hex digits of revision.
// Some lines came with a second printer revision of the same identity (same product ID), and
// one revision was shipped with the hardware ID of an earlier row (row 49 repeats row 22: the
// earlier row wins a lookup).
//                vendor    product  hardware ID                selector size kind brand
constexpr ModelEntry kModels[kModelTableSize] = {
    {kVendorId, 0x0001, "VelkorP-Series_12fbb", 0, 2, 1, 1},
    {kVendorId, 0x0002, "VelkorP-Series_27e01", 0, 1, 1, 1},
    {kVendorId, 0x0003, "VelkorP-Series_34e97", 1, 0, 1, 1},
    {kVendorId, 0x0004, "VelkorP-Series_4db34", 1, 4, 1, 1},
    {kVendorId, 0x0005, "VelkorE-Series_5a10e", 0, 2, 2, 1},
    {kVendorId, 0x0006, "VelkorE-Series_6f0b4", 1, 3, 2, 1},
    {kVendorId, 0x0007, "VelkorR-Series_75ab3", 0, 6, 0, 1},
    {kVendorId, 0x0008, "VelkorW-Series_88c66", 1, 7, 1, 1},
    {kVendorId, 0x0301, "VelkorClassic5199", 0, 0, 0, 1},
    {kVendorId, 0x0304, "VelkorClassic_147ebb", 0, 4, 1, 1},
    {kVendorId, 0x4C11, "LindqvarLinnea_30f9f6", 0, 2, 1, 2},
    {kVendorId, 0x4C21, "LindqvarLinnea_30S3682", 1, 2, 1, 2},
    {kVendorId, 0x4C12, "LindqvarLinnea_459bbe", 0, 1, 1, 2},
    {kVendorId, 0x4C13, "LindqvarLinnea_600db3", 1, 1, 1, 2},
    {kVendorId, 0x4C14, "LindqvarLinnea_30P5164", 0, 4, 1, 2},
    {kVendorId, 0x4C15, "LindqvarLinnea_E407217", 1, 2, 2, 2},
    {kVendorId, 0x4C17, "LindqvarLinnea_R736b3", 0, 6, 1, 2},
    {kVendorId, 0x4C18, "LindqvarLinnea_W804a05", 1, 7, 1, 2},
    {kVendorId, 0x4C19, "LindqvarLinnea_W12019e9", 1, 7, 1, 2},
    {kVendorId, 0x6C01, "LindqvarSelvara_2236a", 0, 0, 1, 64},
    {kVendorId, 0x6C04, "LindqvarSelvara_2P3dc9", 1, 4, 1, 64},
    {kVendorId, 0x6C05, "LindqvarSelvara_E2a159", 0, 2, 0, 64},
    {kVendorId, 0x4D11, "MoravelMark_1b87b", 1, 2, 1, 4},
    {kVendorId, 0x4D12, "MoravelMark_2e9c1", 0, 1, 1, 4},
    {kVendorId, 0x4D13, "MoravelMark_3d957", 1, 3, 1, 4},
    {kVendorId, 0x4D05, "MoravelMark_2E44b5", 0, 1, 2, 4},
    {kVendorId, 0x4D06, "MoravelMark_3E442b", 1, 3, 2, 4},
    {kVendorId, 0x4D08, "MoravelMark_W7c16", 0, 5, 1, 4},
    {kVendorId, 0x4D0A, "MoravelMark_Duo4cbc", 1, 0, 0, 4},
    {kVendorId, 0x5401, "TessarineTessa_300ac6f", 0, 2, 1, 8},
    {kVendorId, 0x5402, "TessarineTessa_4504eaf", 1, 1, 1, 8},
    {kVendorId, 0x5404, "TessarineTessa_300P4082", 0, 4, 1, 8},
    {kVendorId, 0x5405, "TessarineTessa_G606a", 1, 2, 2, 8},
    {kVendorId, 0x540B, "TessarineTessa_R7e0e", 0, 6, 2, 8},
    {kVendorId, 0x5101, "QuorvaneQ-Line_24cca3", 1, 2, 1, 16},
    {kVendorId, 0x5103, "QuorvaneQ-Line_369cce", 0, 1, 1, 16},
    {kVendorId, 0x5105, "QuorvaneQ-Etch_248459", 1, 2, 2, 16},
    {kVendorId, 0x5107, "QuorvaneQ-Line_R95c4", 0, 0, 1, 16},
    {kVendorId, 0x4201, "BravelBravel_20ee9f", 1, 2, 1, 32},
    {kVendorId, 0x4202, "BravelBravel_404919", 0, 1, 1, 32},
    {kVendorId, 0x4204, "BravelBravel_20P5895", 1, 4, 1, 32},
    {kVendorId, 0x4209, "BravelBravel_Wide4c0a", 0, 7, 1, 32},
    {kVendorId, 0x4801, "HalvornHalo_Cut_16c78", 1, 2, 1, 128},
    {kVendorId, 0x4805, "HalvornHalo_Engraveaf4b", 0, 2, 2, 128},
    {kVendorId, 0x4806, "HalvornHalo_EngXL1d20", 1, 3, 2, 128},
    {kVendorId, 0x4B01, "KestravaKestra_600fe73", 0, 5, 1, 1},
    {kVendorId, 0x4B04, "KestravaKestra_600P4a8a", 1, 5, 1, 1},
    {kVendorId, 0x0001, "VelkorP-Series_1Ucb10", 1, 2, 1, 1},
    {kVendorId, 0x4C11, "LindqvarLinnea_30B1670", 1, 2, 1, 2},
    {kVendorId, 0x4D11, "MoravelMark_1b87b", 0, 2, 1, 4},
    {kVendorId, 0x5401, "TessarineTessa_300B31ca", 0, 0, 0, 8},
};

}  // namespace

std::span<const ModelEntry, kModelTableSize> modelTable() { return kModels; }

int16_t findModelByHardwareId(std::string_view text) {
  for (int16_t row = 0; row < kModelTableSize; ++row) {
    if (equalIgnoringCase(kModels[row].hardwareId, text)) return row;
  }
  return -1;
}

}  // namespace discovery
