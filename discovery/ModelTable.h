// The model table: what the system knows about the plotter models that can appear behind a
// print queue of the USB printing class, one row per model, keyed by its hardware-ID text.
// The rows are this project's own values (see ModelTable.cpp). Plain data, read by the command
// executor and the update procedure as well as by discovery.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace discovery {

inline constexpr int kModelTableSize = 51;

struct ModelEntry {
  uint16_t vendorId;
  uint16_t productId;  // also the model's identity code: manufacturer code high, type low nibble
  const char* hardwareId;        // what follows the bus prefix in the printer's hardware ID
  int16_t commandTableSelector;  // 0: the escape command table; else the vendor-request table
  int16_t sizeClass;             // 0: ask the plotter
  int16_t kind;                  // 0: ask the plotter; 1 plotter; 2 engraver
  int16_t brand;
};

std::span<const ModelEntry, kModelTableSize> modelTable();
// The first row whose hardware ID equals text without regard to case, or -1.
int16_t findModelByHardwareId(std::string_view text);

}  // namespace discovery
