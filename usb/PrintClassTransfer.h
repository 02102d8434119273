// How the printing class's requests stand as USB control transfers on a printer interface: one
// table, used where a real device takes them (the Linux platform) and where a virtual plotter's
// USB face answers them.
//
//   request                           | bmRequestType | bRequest  | wValue            | wIndex
//   ----------------------------------+---------------+-----------+-------------------+---------------
//   GET_DEVICE_ID (class)             | 0xA1          | 0         | configuration 0   | interface << 8
//   GET_PORT_STATUS (class), 1 byte   | 0xA1          | 1         | 0                 | interface
//   IOCTL_USBPRINT_VENDOR_GET_COMMAND | 0xC1          | input[0]  | input[1] << 8 |   | interface
//                                     |               |           | input[2]          |
//   IOCTL_USBPRINT_VENDOR_SET_COMMAND | 0x41          | input[0]  | as GET            | interface
//
// As Windows' printing class sends the vendor requests: the request's first input byte is
// bRequest, the next two wValue (high byte first; missing bytes are 0); GET returns up to the
// output buffer's length in its data stage, SET sends the input bytes after the third as its own.
// The plotters' vendor requests carry their command letters this way: "5" is bRequest '5'.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "usb/ControlTransfer.h"

namespace usb {

ControlSetup deviceIdSetup(uint8_t interfaceNumber, uint16_t length);
ControlSetup portStatusSetup(uint8_t interfaceNumber);

struct VendorCommandTransfer {
  ControlSetup setup;
  std::span<const uint8_t> data;  // SET: the data stage (part of the input)
};

// The transfer a vendor command's input stands for; none for an empty input or a data stage
// that does not fit a control transfer.
std::optional<VendorCommandTransfer> vendorCommandTransfer(bool get, uint8_t interfaceNumber,
                                                           std::span<const uint8_t> input,
                                                           uint32_t outputLength);

// The input bytes a vendor command transfer came from (the inverse, for a device's USB face).
std::string vendorCommandInput(const ControlSetup& setup, std::span<const uint8_t> data);

}  // namespace usb
