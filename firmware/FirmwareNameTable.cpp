#include "firmware/FirmwareNameTable.h"

#include <iterator>

namespace firmware {
namespace {

// This project's own line names. Manufacturer codes: 0 the unbranded lines ("generic"; the
// oldest lines' code 6 is looked up as 0), 3 the oldest unbranded line, then one ASCII letter
// per brand. The type byte is the low byte of the line's product ID.
constexpr FirmwareNameEntry kFirmwareNames[] = {
    {"generic", "P-Series 1", 0x01, 0x00},
    {"generic", "P-Series 2", 0x02, 0x00},
    {"generic", "P-Series 3", 0x03, 0x00},
    {"generic", "P-Series 4", 0x04, 0x00},
    {"generic", "E-Series 5", 0x05, 0x00},
    {"generic", "E-Series 6", 0x06, 0x00},
    {"generic", "R-Series 7", 0x07, 0x00},
    {"generic", "W-Series 8", 0x08, 0x00},
    {"generic", "Classic 1.12", 0x01, 0x03},
    {"generic", "Classic 1.14", 0x04, 0x03},
    {"Lindqvar", "Linnea 30", 0x11, 0x4C},
    {"Lindqvar", "Linnea 30 S", 0x21, 0x4C},
    {"Lindqvar", "Linnea 45", 0x12, 0x4C},
    {"Lindqvar", "Linnea 60", 0x13, 0x4C},
    {"Lindqvar", "Linnea 30 Pro", 0x14, 0x4C},
    {"Lindqvar", "Linnea E40", 0x15, 0x4C},
    {"Lindqvar", "Linnea R7", 0x17, 0x4C},
    {"Lindqvar", "Linnea W80", 0x18, 0x4C},
    {"Lindqvar", "Linnea W120", 0x19, 0x4C},
    {"Lindqvar", "Selvara 2", 0x01, 0x6C},
    {"Lindqvar", "Selvara 2 Pro", 0x04, 0x6C},
    {"Lindqvar", "Selvara E2", 0x05, 0x6C},
    {"Moravel", "Mark 1", 0x11, 0x4D},
    {"Moravel", "Mark 2", 0x12, 0x4D},
    {"Moravel", "Mark 3", 0x13, 0x4D},
    {"Moravel", "Mark 2 Engrave", 0x05, 0x4D},
    {"Moravel", "Mark 3 Engrave", 0x06, 0x4D},
    {"Moravel", "Mark W", 0x08, 0x4D},
    {"Moravel", "Mark Duo", 0x0A, 0x4D},
    {"Tessarine", "Tessa 300", 0x01, 0x54},
    {"Tessarine", "Tessa 450", 0x02, 0x54},
    {"Tessarine", "Tessa 300 Pro", 0x04, 0x54},
    {"Tessarine", "Tessa Gravo", 0x05, 0x54},
    {"Tessarine", "Tessa Rotary", 0x0B, 0x54},
    {"Quorvane", "Q-Line 24", 0x01, 0x51},
    {"Quorvane", "Q-Line 36", 0x03, 0x51},
    {"Quorvane", "Q-Etch 24", 0x05, 0x51},
    {"Quorvane", "Q-Line R", 0x07, 0x51},
    {"Bravel", "Bravel 20", 0x01, 0x42},
    {"Bravel", "Bravel 40", 0x02, 0x42},
    {"Bravel", "Bravel 20 Pro", 0x04, 0x42},
    {"Bravel", "Bravel Wide", 0x09, 0x42},
    {"Halvorn", "Halo Cut 1", 0x01, 0x48},
    {"Halvorn", "Halo Engraver", 0x05, 0x48},
    {"Halvorn", "Halo Engraver XL", 0x06, 0x48},
    {"Kestrava", "Kestra 600", 0x01, 0x4B},
    {"Kestrava", "Kestra 600 Pro", 0x04, 0x4B},
    {"unknown", "unknown", 0, 0},
};
static_assert(std::size(kFirmwareNames) == 47 + 1);

}  // namespace

std::span<const FirmwareNameEntry> firmwareNameTable() { return kFirmwareNames; }

FirmwareNames lookupFirmwareNames(int deviceType, int manufacturerCode) {
  const int code = manufacturerCode == 6 ? 0 : manufacturerCode;
  const FirmwareNameEntry* row = kFirmwareNames;
  for (; row->typeByte != 0; ++row) {
    if ((row->typeByte & 0x0F) == deviceType && row->manufacturerCode == code) break;
  }
  return {row->model, row->manufacturer};
}

}  // namespace firmware
