#include "usb/UsbLibrary.h"

#include "usb/UsbApi.h"

namespace usb {

UsbLibraryState& libraryState() {
  static UsbLibraryState state;
  return state;
}

// The list starts empty when the state is made; it is never replaced, since a device still open
// must stay in the list its close takes it out of.
void initUsbLibrary() { libraryState(); }

}  // namespace usb
