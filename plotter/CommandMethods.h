// The four transport methods of the command tables, each run against one USB printer
// interface (its device path). Every method opens its own handles and closes them before it
// returns.
#pragma once

#include <string>
#include <string_view>

#include "os/Win32.h"
#include "plotter/CommandTable.h"

namespace plotter {

// Every wait of the executor, but the one for the reply to "Dummy Command" on the pipe, which
// only drains what is already there.
inline constexpr DWORD kCommandWaitTime = 1000;
inline constexpr DWORD kDummyReplyWaitTime = 10;
// The flags of a handle opened for synchronous requests.
inline constexpr DWORD kSynchronous = FILE_ATTRIBUTE_NORMAL;

// Writes the row's bytes (with the argument text appended when the row says so) to the bulk
// OUT pipe and, for a row with a reply, reads the length-prefixed reply from bulk IN into text.
bool runPipeExchange(const CommandEntry& entry, std::string_view devicePath, std::string& text);
// The printing-class vendor request with the row's first 3 bytes; text becomes its output.
bool runVendorGet(const CommandEntry& entry, std::string_view devicePath, std::string& text);
bool runVendorSet(const CommandEntry& entry, std::string_view devicePath);
// Only whether the port-status request succeeds.
bool runLptStatus(std::string_view devicePath);

}  // namespace plotter
