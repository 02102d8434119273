// What libusb's errors and transfer outcomes are in the Windows errors the core knows, in one
// place: an unplugged device gives what the simulated machine gives a vanished one, a device
// that another program holds gives what the core reports as "in use by another program".
#pragma once

#include <libusb.h>

#include "os/Win32.h"

namespace os::linux_platform {

// A libusb_error (a negative return of a libusb call); ERROR_SUCCESS for 0 or more.
DWORD windowsErrorOf(int libusbError);

// How a transfer that ended with this status ended for the request it carried out.
DWORD windowsErrorOf(libusb_transfer_status status);

}  // namespace os::linux_platform
