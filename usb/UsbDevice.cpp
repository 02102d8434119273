// The device list and opening and closing devices.
#include "usb/UsbDevice.h"

#include <new>

#include "os/Calls.h"
#include "usb/UsbApi.h"
#include "usb/UsbLibrary.h"
#include "usb/UsbPipe.h"

namespace {

// Reads the interface detail (the device path) of the index-th interface of the list into a
// zeroed buffer that the caller then owns.
DWORD readInterfaceDetail(HDEVINFO list, DWORD index, std::unique_ptr<BYTE[]>& detail) {
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  if (!os::SetupDiEnumDeviceInterfaces(list, nullptr, &usb::GUID_DEVINTERFACE_UDRV, index,
                                       &data)) {
    DWORD error = os::GetLastError();
    return error == ERROR_NO_MORE_ITEMS ? USBERR_NO_MORE_DEVICES : error;
  }
  DWORD size = 0;
  os::SetupDiGetDeviceInterfaceDetailA(list, &data, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return os::GetLastError();
  detail.reset(new (std::nothrow) BYTE[size]());
  if (!detail) return USBERR_NO_MEMORY;
  auto* record = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail.get());
  record->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!os::SetupDiGetDeviceInterfaceDetailA(list, &data, record, size, nullptr, nullptr)) {
    return os::GetLastError();
  }
  return 0;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI USBGetDeviceList(void) {
  HDEVINFO list = os::SetupDiGetClassDevsA(&usb::GUID_DEVINTERFACE_UDRV, nullptr, nullptr,
                                           DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  return list == INVALID_HANDLE_VALUE ? nullptr : list;
}

// The null that USBGetDeviceList gives on failure is passed over too.
void WINAPI USBReleaseDeviceList(HDEVINFO list) {
  if (list != INVALID_HANDLE_VALUE && list != nullptr) os::SetupDiDestroyDeviceInfoList(list);
}

DWORD WINAPI USBOpenDevice(HDEVINFO list, DWORD index, USB_DEVICE_HANDLE* device) {
  if (!device) return USBERR_INVALID_PARAMETER;
  *device = nullptr;
  std::unique_ptr<BYTE[]> detail;
  if (DWORD error = readInterfaceDetail(list, index, detail)) return error;
  std::unique_ptr<UsbDevice> opened(new (std::nothrow) UsbDevice);
  if (!opened) return USBERR_NO_MEMORY;
  opened->interfaceDetail = std::move(detail);
  if (DWORD error = usb::openHandlePath(*opened, opened->devicePath())) return error;
  usb::UsbLibraryState& library = usb::libraryState();
  {
    os::CriticalSectionLock hold(library.globalLock);
    library.openDevices.add(*opened);
  }
  *device = opened.release();
  return 0;
}

DWORD WINAPI USBCloseDevice(USB_DEVICE_HANDLE* device) {
  if (!device || !usb::checkedHandle(*device, usb::kDeviceKind)) return USBERR_INVALID_PARAMETER;
  UsbDevice* closing = *device;
  {
    // Every member of the list is one of this device's pipes, so each is freed without the
    // handle check that USBClosePipe makes, and the loop always shortens the list.
    os::CriticalSectionLock hold(closing->pipeLock);
    while (closing->pipes.count > 0) usb::freePipe(*static_cast<UsbPipe*>(closing->pipes.oldest));
  }
  usb::UsbLibraryState& library = usb::libraryState();
  {
    os::CriticalSectionLock hold(library.globalLock);
    library.openDevices.remove(*closing);
  }
  delete closing;
  *device = nullptr;
  return 0;
}

}  // extern "C"

namespace usb {

std::string devicePathOf(USB_DEVICE_HANDLE device) {
  if (!checkedHandle(device, kDeviceKind)) return {};
  return device->devicePath();
}

}  // namespace usb
