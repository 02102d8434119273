// Device arrival and removal notices for a window, for the driver's interface class.
#include "os/Calls.h"
#include "usb/UsbApi.h"

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_A) == 32);

extern "C" {

HDEVNOTIFY WINAPI USBRegisterDevNotify(HWND window) {
  if (!window) return nullptr;
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = usb::GUID_DEVINTERFACE_UDRV;
  return os::RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void WINAPI USBUnregisterDevNotify(HDEVNOTIFY notification) {
  if (notification) os::UnregisterDeviceNotification(notification);
}

}  // extern "C"
