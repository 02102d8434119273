// The USB identifiers the system looks for, in one place.
//
// These are this project's own values, invented for it: they stand for the maker's USB vendor
// ID (in every model-table row and in firmware descriptor patterns A and B) and for the legacy
// pair that the oldest vendor-driver plotters report (the plotter link counts only devices with
// both, and the oldest firmware images embed the legacy vendor ID).
#pragma once

#include <cstdint>

namespace usb {

inline constexpr uint16_t kVendorId = 0x2E7A;
inline constexpr uint16_t kLegacyVendorId = 0x0C5B;
inline constexpr uint16_t kLegacyProductId = 0x0203;

}  // namespace usb
