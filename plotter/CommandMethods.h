// The four transport methods of the command tables, each run against one USB printer
// interface (its device path). Every method opens its own handles and closes them before it
// returns. Every request a method makes (the bulk OUT write, the reads, the vendor and
// port-status requests) is overlapped and bounded by the command's wait: one that has not ended
// by then is cancelled and fails the command.
#pragma once

#include <string>
#include <string_view>

#include "os/Win32.h"
#include "plotter/CommandTable.h"

namespace plotter {

// Every wait of the executor, but the ones of "Dummy Command" on the pipe (its write and its
// reply), which only drains what is already there.
inline constexpr DWORD kCommandWaitTime = 1000;
inline constexpr DWORD kDummyReplyWaitTime = 10;

// Writes the row's bytes (with the argument text appended when the row says so) to the bulk
// OUT pipe and, for a row with a reply, reads the length-prefixed reply from bulk IN into text.
bool runPipeExchange(const CommandEntry& entry, std::string_view devicePath, std::string& text);
// The printing-class vendor request with the row's first 3 bytes; text becomes its output.
bool runVendorGet(const CommandEntry& entry, std::string_view devicePath, std::string& text);
bool runVendorSet(const CommandEntry& entry, std::string_view devicePath);
// Only whether the port-status request succeeds.
bool runLptStatus(std::string_view devicePath);

}  // namespace plotter
