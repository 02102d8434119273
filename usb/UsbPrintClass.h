// The Windows USB printing class as the command executor speaks to it: the device-interface
// class of USB printer ports and the three requests the system makes of them. The virtual
// plotter's printing-class face answers the same codes.
#pragma once

#include "os/Win32.h"

namespace usb {

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}
inline constexpr GUID GUID_DEVINTERFACE_USBPRINT = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

// Device type FILE_DEVICE_UNKNOWN, function 12, 14 and 15, method buffered, any access.
inline constexpr DWORD IOCTL_USBPRINT_GET_LPT_STATUS = 0x00220030;
inline constexpr DWORD IOCTL_USBPRINT_VENDOR_SET_COMMAND = 0x00220038;
inline constexpr DWORD IOCTL_USBPRINT_VENDOR_GET_COMMAND = 0x0022003C;

}  // namespace usb
