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
    {kVendorId, 0x0001, "VelkorP-Series_1f80b", 0, 2, 1, 1},
    {kVendorId, 0x0002, "VelkorP-Series_2f94b", 0, 1, 1, 1},
    {kVendorId, 0x0003, "VelkorP-Series_3398a", 1, 0, 1, 1},
    {kVendorId, 0x0004, "VelkorP-Series_4fbcb", 1, 4, 1, 1},
    {kVendorId, 0x0005, "VelkorE-Series_5be1b", 0, 2, 2, 1},
    {kVendorId, 0x0006, "VelkorE-Series_6bf5b", 1, 3, 2, 1},
    {kVendorId, 0x0007, "VelkorR-Series_7302a", 0, 6, 0, 1},
    {kVendorId, 0x0008, "VelkorW-Series_8247a", 1, 7, 1, 1},
    {kVendorId, 0x0301, "VelkorClassic59da", 0, 0, 0, 1},
    {kVendorId, 0x0304, "VelkorClassic_14260e", 0, 4, 1, 1},
    {kVendorId, 0x4C11, "LindqvarLinnea_30e85f", 0, 2, 1, 2},
    {kVendorId, 0x4C21, "LindqvarLinnea_30S05e8", 1, 2, 1, 2},
    {kVendorId, 0x4C12, "LindqvarLinnea_45db9d", 0, 1, 1, 2},
    {kVendorId, 0x4C13, "LindqvarLinnea_60b85c", 1, 1, 1, 2},
    {kVendorId, 0x4C14, "LindqvarLinnea_30P04a8", 0, 4, 1, 2},
    {kVendorId, 0x4C15, "LindqvarLinnea_E40364b", 1, 2, 2, 2},
    {kVendorId, 0x4C17, "LindqvarLinnea_R7ba37", 0, 6, 1, 2},
    {kVendorId, 0x4C18, "LindqvarLinnea_W8033ee", 1, 7, 1, 2},
    {kVendorId, 0x4C19, "LindqvarLinnea_W1203a62", 1, 7, 1, 2},
    {kVendorId, 0x6C01, "LindqvarSelvara_234da", 0, 0, 1, 64},
    {kVendorId, 0x6C04, "LindqvarSelvara_2Pa7b5", 1, 4, 1, 64},
    {kVendorId, 0x6C05, "LindqvarSelvara_E2be13", 0, 2, 0, 64},
    {kVendorId, 0x4D11, "MoravelMark_1cdae", 1, 2, 1, 4},
    {kVendorId, 0x4D12, "MoravelMark_2ccee", 0, 1, 1, 4},
    {kVendorId, 0x4D13, "MoravelMark_30c2f", 1, 3, 1, 4},
    {kVendorId, 0x4D05, "MoravelMark_2Ebf8d", 0, 1, 2, 4},
    {kVendorId, 0x4D06, "MoravelMark_3E2f8c", 1, 3, 2, 4},
    {kVendorId, 0x4D08, "MoravelMark_We72e", 0, 5, 1, 4},
    {kVendorId, 0x4D0A, "MoravelMark_Duo93ca", 1, 0, 0, 4},
    {kVendorId, 0x5401, "TessarineTessa_30054b3", 0, 2, 1, 8},
    {kVendorId, 0x5402, "TessarineTessa_450c501", 1, 1, 1, 8},
    {kVendorId, 0x5404, "TessarineTessa_300P8915", 0, 4, 1, 8},
    {kVendorId, 0x5405, "TessarineTessa_G1975", 1, 2, 2, 8},
    {kVendorId, 0x540B, "TessarineTessa_Rd6b4", 0, 6, 2, 8},
    {kVendorId, 0x5101, "QuorvaneQ-Line_240d90", 1, 2, 1, 16},
    {kVendorId, 0x5103, "QuorvaneQ-Line_365c10", 0, 1, 1, 16},
    {kVendorId, 0x5105, "QuorvaneQ-Etch_24ed25", 1, 2, 2, 16},
    {kVendorId, 0x5107, "QuorvaneQ-Line_R3826", 0, 0, 1, 16},
    {kVendorId, 0x4201, "BravelBravel_2071c6", 1, 2, 1, 32},
    {kVendorId, 0x4202, "BravelBravel_40d1c5", 0, 1, 1, 32},
    {kVendorId, 0x4204, "BravelBravel_20P6ef1", 1, 4, 1, 32},
    {kVendorId, 0x4209, "BravelBravel_Wideb0b7", 0, 7, 1, 32},
    {kVendorId, 0x4801, "HalvornHalo_Cut_1b1dc", 1, 2, 1, 128},
    {kVendorId, 0x4805, "HalvornHalo_Engrave7e8e", 0, 2, 2, 128},
    {kVendorId, 0x4806, "HalvornHalo_EngXLb141", 1, 3, 2, 128},
    {kVendorId, 0x4B01, "KestravaKestra_600c3d0", 0, 5, 1, 1},
    {kVendorId, 0x4B04, "KestravaKestra_600Pa0c2", 1, 5, 1, 1},
    {kVendorId, 0x0001, "VelkorP-Series_1Uf879", 1, 2, 1, 1},
    {kVendorId, 0x4C11, "LindqvarLinnea_30B0928", 1, 2, 1, 2},
    {kVendorId, 0x4D11, "MoravelMark_1cdae", 0, 2, 1, 4},
    {kVendorId, 0x5401, "TessarineTessa_300B8495", 0, 0, 0, 8},
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
