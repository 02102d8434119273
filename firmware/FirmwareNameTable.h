// The names of the plotter lines that identity codes stand for, shown when a firmware file does
// not quite fit the plotter it is meant for.
#pragma once

#include <cstdint>
#include <span>

namespace firmware {

struct FirmwareNameEntry {
  const char* manufacturer;
  const char* model;
  uint8_t typeByte;  // device type in the low four bits; 0 ends the table
  uint8_t manufacturerCode;
};

struct FirmwareNames {
  const char* model;
  const char* manufacturer;
};

// The 47 rows and the end row {"unknown", "unknown", 0, 0}.
std::span<const FirmwareNameEntry> firmwareNameTable();

// The names of the first row with that device type and manufacturer code, where a code of 6
// (the oldest lines) is looked up as 0; the end row's names when no row has them.
FirmwareNames lookupFirmwareNames(int deviceType, int manufacturerCode);

}  // namespace firmware
