// The device command tables: every command a plotter on the printing-class connection
// understands, with its bytes, its reply rule and the transport method that carries it. Two
// tables with the same codes and names: the escape command table (model rows with selector 0)
// and the vendor-request command table (any other selector). The update-only program's tables
// have one row more (see discovery/Edition.h).
#pragma once

#include <cstdint>
#include <span>

#include "discovery/Edition.h"

namespace plotter {

enum CommandMethod : int32_t {
  PipeExchange = 0,  // bulk OUT write; a length-prefixed reply from bulk IN if one is expected
  LptStatus = 1,     // IOCTL_USBPRINT_GET_LPT_STATUS; only its success counts
  VendorGet = 2,     // IOCTL_USBPRINT_VENDOR_GET_COMMAND with 3 input bytes; returns the reply
  VendorSet = 3,     // IOCTL_USBPRINT_VENDOR_SET_COMMAND with length bytes, overlapped
};

struct CommandEntry {
  int32_t code;
  char name[255];
  char bytes[65];
  int32_t length;
  int32_t expectsReply;
  int32_t appendsArgument;
  int32_t method;
};

// Codes both editions share. "Set Serial Number" and "Query Online" differ by edition:
// discovery::EditionFacts::setSerialNumberCode and queryOnlineCode.
inline constexpr int32_t kDummyCommand = 0;
inline constexpr int32_t kPlotterType = 1;
inline constexpr int32_t kFirmware = 2;
inline constexpr int32_t kBootVersion = 3;
inline constexpr int32_t kPlatType = 4;
inline constexpr int32_t kReset = 5;
inline constexpr int32_t kFirmwareUpdate = 6;
inline constexpr int32_t kToolInfo = 7;
inline constexpr int32_t kStatus = 8;
inline constexpr int32_t kFixtures = 9;
inline constexpr int32_t kGetSerialNumber = 10;

// The table for a model row's command-table selector, in the given edition.
std::span<const CommandEntry> commandTable(int16_t selector, discovery::Edition edition);
// The first row with the code, or null.
const CommandEntry* findCommand(std::span<const CommandEntry> table, int32_t code);

}  // namespace plotter
