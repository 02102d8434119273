// A world file: the text that describes a world's plotters and print queues.
//
//   # comment
//   [plotter LABEL]          ; one plotter; LABEL names it in faults and reports
//   connection = driver      ; driver (the vendor driver) or printer (the USB printing class)
//   type = ZK400             ; reply to "5" in normal operation; boot-type while its boot
//                            ; program runs (update-mode = yes)
//   firmware = 1.14aKR A4    ; "6"; likewise boot "7", hardware "8", tool "A", status "B",
//                            ; fixtures "4;", serial (also "Get Serial Number" on a printer)
//   vendor-id, product-id, instance, model (printer: its hardware-ID text), online (printer),
//   silent, power-on-after (ms, or never), status-word (driver), vanish-at-chunk,
//   stale-replies, reply-delay (ms), chunk-delay (ms, driver), open-error (driver:
//   access-denied or in-use; the device is listed but opening it fails so), refuses-data
//   (printer: its bulk OUT writes and vendor and port-status requests pend until cancelled)
//
//   [queue NAME]             ; one print queue
//   port = USB001            ; its port
//   plotter = LABEL          ; the printer plotter behind it, or
//   hardware-id = TEXT       ; a device that is no world plotter; neither: no device
//
// How lines and values are written is in sim/WorldSections.h, what each plotter key does in
// sim/WorldPlotter.h. Every fault reads "FILE:LINE: what is wrong".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/WorldPlan.h"

namespace sim {

// The world the text describes, or nullopt with *error saying "fileName:LINE: what is wrong".
// Pure: nothing is built, so that any bytes may be fed to it.
std::optional<WorldPlan> parseWorldFile(std::string_view text, std::string_view fileName,
                                        std::string* error);

}  // namespace sim
