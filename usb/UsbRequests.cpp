// Requests on a device, each one driver request sent through USBIoCtrl. Answers go straight
// into the caller's buffers, so that a request left running on the caller's OVERLAPPED never
// writes into memory of a call that has returned.
#include <cstring>

#include "usb/UsbApi.h"

namespace {

using usb::UdrvDescriptorRequest;

DWORD getDescriptor(USB_DEVICE_HANDLE device, UdrvDescriptorRequest request, void* buffer,
                    DWORD* length, LPOVERLAPPED overlapped) {
  if (!buffer || !length) return USBERR_INVALID_PARAMETER;
  return USBIoCtrl(device, usb::IOCTL_UDRV_GET_DESCRIPTOR, &request, sizeof request, buffer,
                   *length, length, overlapped);
}

DWORD getFixedDescriptor(USB_DEVICE_HANDLE device, UdrvDescriptorRequest request, DWORD size,
                         void* buffer, LPOVERLAPPED overlapped) {
  return getDescriptor(device, request, buffer, &size, overlapped);
}

DWORD simpleRequest(USB_DEVICE_HANDLE device, DWORD code, LPOVERLAPPED overlapped) {
  return USBIoCtrl(device, code, nullptr, 0, nullptr, 0, nullptr, overlapped);
}

DWORD featureRequest(USB_DEVICE_HANDLE device, WORD selector, BYTE feature, BYTE clear,
                     LPOVERLAPPED overlapped) {
  usb::UdrvFeatureRecord record{selector, feature, clear};
  return USBIoCtrl(device, usb::IOCTL_UDRV_FEATURE, &record, sizeof record, nullptr, 0, nullptr,
                   overlapped);
}

}  // namespace

extern "C" {

DWORD WINAPI USBGetDeviceDesc(USB_DEVICE_HANDLE device, void* buffer, LPOVERLAPPED overlapped) {
  return getFixedDescriptor(device, {usb::USB_DEVICE_DESCRIPTOR_TYPE, {0, 0, 0, 0}},
                            sizeof(usb::UsbDeviceDescriptor), buffer, overlapped);
}

DWORD WINAPI USBGetConfigDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex, void* buffer,
                              DWORD* length, LPOVERLAPPED overlapped) {
  return getDescriptor(device,
                       {usb::USB_CONFIGURATION_DESCRIPTOR_TYPE, {configurationIndex, 0, 0, 0}},
                       buffer, length, overlapped);
}

DWORD WINAPI USBGetInterfaceDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                 BYTE interfaceIndex, BYTE alternateSetting, void* buffer,
                                 LPOVERLAPPED overlapped) {
  return getFixedDescriptor(
      device,
      {usb::USB_INTERFACE_DESCRIPTOR_TYPE,
       {configurationIndex, interfaceIndex, alternateSetting, 0}},
      sizeof(usb::UsbInterfaceDescriptor), buffer, overlapped);
}

DWORD WINAPI USBGetEndpointDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                BYTE interfaceIndex, BYTE alternateSetting, BYTE endpointIndex,
                                void* buffer, LPOVERLAPPED overlapped) {
  return getFixedDescriptor(
      device,
      {usb::USB_ENDPOINT_DESCRIPTOR_TYPE,
       {configurationIndex, interfaceIndex, alternateSetting, endpointIndex}},
      sizeof(usb::UsbEndpointDescriptor), buffer, overlapped);
}

DWORD WINAPI USBGetStringDesc(USB_DEVICE_HANDLE device, BYTE stringIndex, WORD languageId,
                              void* buffer, DWORD* length, LPOVERLAPPED overlapped) {
  return getDescriptor(
      device,
      {usb::USB_STRING_DESCRIPTOR_TYPE,
       {BYTE(languageId), BYTE(languageId >> 8), stringIndex, 0}},
      buffer, length, overlapped);
}

DWORD WINAPI USBGetConfiguration(USB_DEVICE_HANDLE device, BYTE* configurationValue,
                                 LPOVERLAPPED overlapped) {
  if (!configurationValue) return USBERR_INVALID_PARAMETER;
  return USBIoCtrl(device, usb::IOCTL_UDRV_GET_CONFIGURATION, nullptr, 0, configurationValue, 1,
                   nullptr, overlapped);
}

// The record holds at most 127 entries; a larger count is refused rather than cut.
DWORD WINAPI USBSetConfiguration(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                 DWORD entryCount, const usb::UdrvInterfaceEntry* entries,
                                 LPOVERLAPPED overlapped) {
  const bool all = entryCount == 0xFFFFFFFF;
  if (entryCount == 0 || (!entries && !all) ||
      (!all && entryCount > usb::UDRV_MAX_INTERFACE_ENTRIES)) {
    return USBERR_INVALID_PARAMETER;
  }
  usb::UdrvConfigurationRecord record{};
  record.configurationIndex = configurationIndex;
  record.entryCount = entryCount;
  if (!all) std::memcpy(record.entries, entries, entryCount * sizeof *entries);
  return USBIoCtrl(device, usb::IOCTL_UDRV_SET_CONFIGURATION, &record, sizeof record, nullptr, 0,
                   nullptr, overlapped);
}

DWORD WINAPI USBUnconfigureDevice(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped) {
  return simpleRequest(device, usb::IOCTL_UDRV_UNCONFIGURE, overlapped);
}

// The answer is a whole entry of which only the alternate setting is passed back, so it is
// unpacked here: on the caller's OVERLAPPED the call waits for the request too.
DWORD WINAPI USBGetInterface(USB_DEVICE_HANDLE device, BYTE interfaceNumber,
                             BYTE* alternateSetting, LPOVERLAPPED overlapped) {
  if (!alternateSetting) return USBERR_INVALID_PARAMETER;
  usb::UdrvInterfaceEntry entry{interfaceNumber, 0, 0};
  DWORD result = USBIoCtrl(device, usb::IOCTL_UDRV_GET_INTERFACE, &entry, sizeof entry, &entry,
                           sizeof entry, nullptr, overlapped);
  if (result == USBERR_IO_PENDING) result = USBWaitIO(device, nullptr, INFINITE, overlapped);
  if (result == 0) *alternateSetting = entry.alternateSetting;
  return result;
}

DWORD WINAPI USBSetInterface(USB_DEVICE_HANDLE device, const usb::UdrvInterfaceEntry* entry,
                             LPOVERLAPPED overlapped) {
  if (!entry) return USBERR_INVALID_PARAMETER;
  BYTE current = 0;
  if (DWORD result = USBGetInterface(device, entry->interfaceNumber, &current, nullptr)) {
    return result;
  }
  if (current == entry->alternateSetting) return 0;
  usb::UdrvInterfaceEntry request = *entry;
  return USBIoCtrl(device, usb::IOCTL_UDRV_SET_INTERFACE, &request, sizeof request, nullptr, 0,
                   nullptr, overlapped);
}

DWORD WINAPI USBSetFeature(USB_DEVICE_HANDLE device, WORD selector, BYTE feature,
                           LPOVERLAPPED overlapped) {
  return featureRequest(device, selector, feature, 0, overlapped);
}

DWORD WINAPI USBClearFeature(USB_DEVICE_HANDLE device, WORD selector, BYTE feature,
                             LPOVERLAPPED overlapped) {
  return featureRequest(device, selector, feature, 1, overlapped);
}

DWORD WINAPI USBGetStatus(USB_DEVICE_HANDLE device, WORD selector, WORD* status,
                          LPOVERLAPPED overlapped) {
  if (!status) return USBERR_INVALID_PARAMETER;
  return USBIoCtrl(device, usb::IOCTL_UDRV_GET_STATUS, &selector, sizeof selector, status,
                   sizeof *status, nullptr, overlapped);
}

DWORD WINAPI USBClassOrVendorRequest(USB_DEVICE_HANDLE device,
                                     const usb::UdrvControlRecord* record, void* data,
                                     DWORD length, LPOVERLAPPED overlapped) {
  if (!record || (data == nullptr) != (length == 0)) return USBERR_INVALID_PARAMETER;
  usb::UdrvControlRecord control = *record;
  return USBIoCtrl(device, usb::IOCTL_UDRV_CONTROL_REQUEST, &control, sizeof control, data,
                   length, nullptr, overlapped);
}

DWORD WINAPI USBResetDevice(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped) {
  return simpleRequest(device, usb::IOCTL_UDRV_RESET_DEVICE, overlapped);
}

DWORD WINAPI USBCyclePort(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped) {
  return simpleRequest(device, usb::IOCTL_UDRV_CYCLE_PORT, overlapped);
}

DWORD WINAPI USBLockDevice(USB_DEVICE_HANDLE device, DWORD operation) {
  return USBIoCtrl(device, usb::IOCTL_UDRV_LOCK, &operation, sizeof operation, nullptr, 0,
                   nullptr, nullptr);
}

}  // extern "C"
