#include "usb/UsbLibrary.h"

#include "usb/UsbApi.h"

namespace usb {

UsbLibraryState& libraryState() {
  static UsbLibraryState state;
  return state;
}

void initUsbLibrary() {
  UsbLibraryState& state = libraryState();
  os::CriticalSectionLock hold(state.globalLock);
  state.openDevices = UsbHandleList{};
}

}  // namespace usb
