// How a world file's values are read: numbers, yes/no, names that become parts of registry
// keys, and how a value is shown in a fault.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "os/sim/PrintJob.h"

namespace sim {

// The longest time a world gives in milliseconds: as long as one wait of the system can be.
inline constexpr uint64_t kMillisecondsMax = 0xFFFFFFFF;

// The text with bytes outside printable ASCII as \xHH, so that a fault shows what was there.
std::string shownText(std::string_view text);

// "yes" or "no", in any letter case.
std::optional<bool> yesNo(std::string_view text);

// A decimal number, or a hexadecimal one after "0x", not above max; else the fault's text,
// which names the key.
std::string readNumber(std::string_view key, std::string_view text, uint64_t max, uint64_t* number);

// A queue's state: ready, paused, offline or error; else the fault's text, which names the key.
std::string readQueueState(std::string_view key, std::string_view text, os::sim::QueueState* state);

// A text that becomes one name in a registry key path (a queue, a device model, an instance)
// must not be empty nor hold a backslash, a control character or any of alsoRefused; the
// fault's text, or empty. what names the text in the fault ("queue name").
std::string keyNameFault(std::string_view what, std::string_view text,
                         std::string_view alsoRefused = {});

}  // namespace sim
