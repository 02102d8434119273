// How the driver's control record stands for a USB control transfer: one table, used where a
// real device takes the record (the Linux platform) and where a virtual plotter takes the
// transfer (its USB face).
//
//   record field | setup packet field
//   -------------+-------------------------------------------------------------
//   field0       | bmRequestType, by the kind table below
//   field1       | bRequest
//   field2       | wValue
//   field3       | wIndex
//   (data stage) | wLength: the data buffer's length
//
//   field0 | bmRequestType | transfer
//   -------+---------------+--------------------------------------------
//   0x0001 | 0x40          | vendor request to the device, host to device
//   0x0002 | 0xC0          | vendor request to the device, device to host
//   0x0003 | 0x41          | vendor request to an interface, host to device
//   0x0004 | 0xC1          | vendor request to an interface, device to host
//
// Any other field0 is refused (ERROR_INVALID_PARAMETER), and so is a data stage longer than a
// control transfer carries.
#pragma once

#include <cstdint>
#include <optional>

#include "usb/UsbDriver.h"

namespace usb {

struct ControlSetup {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;

  bool deviceToHost() const { return (requestType & 0x80) != 0; }
  bool operator==(const ControlSetup&) const = default;
};

// The largest data stage of one control transfer here (the Linux usbfs limit of a page).
inline constexpr uint32_t kMaxControlData = 4096;

// The transfer a control record with a data stage of dataLength bytes stands for; none when
// the record's kind is not in the table or the data does not fit.
std::optional<ControlSetup> controlSetupFor(const UdrvControlRecord& record, uint32_t dataLength);

// The record a setup packet came from; none when its request type is not in the table.
std::optional<UdrvControlRecord> controlRecordFor(const ControlSetup& setup);

}  // namespace usb
