// The USB driver library: 34 functions, exported by both programs under these names with the
// standard Windows calling convention. Every function that returns a DWORD returns 0 or a status:
// a Windows error code or one of the library's own USBERR_ values below. A function that takes
// an OVERLAPPED accepts null, then uses the handle's built-in one and waits for completion.
#pragma once

#include <string>

#include "os/Win32.h"
#include "usb/UsbDriver.h"

// The library's own statuses.
inline constexpr DWORD USBERR_NO_MEMORY = 0xE0100100;
inline constexpr DWORD USBERR_INVALID_PARAMETER = 0xE0100300;
inline constexpr DWORD USBERR_NOT_CONFIGURED = 0xE0110002;
inline constexpr DWORD USBERR_NO_MORE_DEVICES = 0xE01F0002;
inline constexpr DWORD USBERR_IO_PENDING = 0xE01F0006;
inline constexpr DWORD USBERR_TIMEOUT = 0xE01F0007;

// Opaque handles: a device handle points to a UsbDevice, a pipe handle to a UsbPipe; a
// USB_HANDLE may be either.
struct UsbDevice;
struct UsbPipe;
typedef UsbDevice* USB_DEVICE_HANDLE;
typedef UsbPipe* USB_PIPE_HANDLE;
typedef void* USB_HANDLE;

extern "C" {

// Device list and devices.
HDEVINFO WINAPI USBGetDeviceList(void);
void WINAPI USBReleaseDeviceList(HDEVINFO list);
DWORD WINAPI USBOpenDevice(HDEVINFO list, DWORD index, USB_DEVICE_HANDLE* device);
DWORD WINAPI USBCloseDevice(USB_DEVICE_HANDLE* device);

// Requests on a device.
DWORD WINAPI USBGetDeviceDesc(USB_DEVICE_HANDLE device, void* buffer, LPOVERLAPPED overlapped);
DWORD WINAPI USBGetConfigDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex, void* buffer,
                              DWORD* length, LPOVERLAPPED overlapped);
DWORD WINAPI USBGetInterfaceDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                 BYTE interfaceIndex, BYTE alternateSetting, void* buffer,
                                 LPOVERLAPPED overlapped);
DWORD WINAPI USBGetEndpointDesc(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                BYTE interfaceIndex, BYTE alternateSetting, BYTE endpointIndex,
                                void* buffer, LPOVERLAPPED overlapped);
DWORD WINAPI USBGetStringDesc(USB_DEVICE_HANDLE device, BYTE stringIndex, WORD languageId,
                              void* buffer, DWORD* length, LPOVERLAPPED overlapped);
DWORD WINAPI USBGetConfiguration(USB_DEVICE_HANDLE device, BYTE* configurationValue,
                                 LPOVERLAPPED overlapped);
// entryCount 0xFFFFFFFF (-1) sends that count and copies no entries.
DWORD WINAPI USBSetConfiguration(USB_DEVICE_HANDLE device, BYTE configurationIndex,
                                 DWORD entryCount, const usb::UdrvInterfaceEntry* entries,
                                 LPOVERLAPPED overlapped);
DWORD WINAPI USBUnconfigureDevice(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped);
DWORD WINAPI USBGetInterface(USB_DEVICE_HANDLE device, BYTE interfaceNumber,
                             BYTE* alternateSetting, LPOVERLAPPED overlapped);
DWORD WINAPI USBSetInterface(USB_DEVICE_HANDLE device, const usb::UdrvInterfaceEntry* entry,
                             LPOVERLAPPED overlapped);
DWORD WINAPI USBSetFeature(USB_DEVICE_HANDLE device, WORD selector, BYTE feature,
                           LPOVERLAPPED overlapped);
DWORD WINAPI USBClearFeature(USB_DEVICE_HANDLE device, WORD selector, BYTE feature,
                             LPOVERLAPPED overlapped);
DWORD WINAPI USBGetStatus(USB_DEVICE_HANDLE device, WORD selector, WORD* status,
                          LPOVERLAPPED overlapped);
DWORD WINAPI USBClassOrVendorRequest(USB_DEVICE_HANDLE device,
                                     const usb::UdrvControlRecord* record, void* data,
                                     DWORD length, LPOVERLAPPED overlapped);
DWORD WINAPI USBResetDevice(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped);
DWORD WINAPI USBCyclePort(USB_DEVICE_HANDLE device, LPOVERLAPPED overlapped);
// Always waits.
DWORD WINAPI USBLockDevice(USB_DEVICE_HANDLE device, DWORD operation);

// Pipes.
DWORD WINAPI USBOpenPipe(USB_DEVICE_HANDLE device, DWORD endpointAddress, USB_PIPE_HANDLE* pipe);
DWORD WINAPI USBClosePipe(USB_PIPE_HANDLE* pipe);
DWORD WINAPI USBReadPipe(USB_PIPE_HANDLE pipe, void* buffer, DWORD* length,
                         LPOVERLAPPED overlapped);
DWORD WINAPI USBWritePipe(USB_PIPE_HANDLE pipe, const void* buffer, DWORD length,
                          LPOVERLAPPED overlapped);
DWORD WINAPI USBResetPipe(USB_PIPE_HANDLE pipe, LPOVERLAPPED overlapped);
DWORD WINAPI USBPipeGetDescriptor(USB_PIPE_HANDLE pipe, void* buffer);
// The buffer comes from LocalAlloc: the caller frees it with LocalFree.
DWORD WINAPI USBBuildIsoXfer(USB_PIPE_HANDLE pipe, DWORD packetCount, WORD value16,
                             DWORD value32, void** buffer, DWORD* size);

// Completion and raw requests.
DWORD WINAPI USBIoCtrl(USB_HANDLE handle, DWORD code, void* input, DWORD inputLength,
                       void* output, DWORD outputLength, DWORD* returned,
                       LPOVERLAPPED overlapped);
DWORD WINAPI USBWaitIO(USB_HANDLE handle, DWORD* transferred, DWORD timeout,
                       LPOVERLAPPED overlapped);
DWORD WINAPI USBCancelIO(USB_HANDLE handle, LPOVERLAPPED overlapped);

// Notification and texts.
HDEVNOTIFY WINAPI USBRegisterDevNotify(HWND window);
void WINAPI USBUnregisterDevNotify(HDEVNOTIFY notification);
// A text the caller frees with LocalFree, or null.
char* WINAPI USBGetErrorText(DWORD status);

}  // extern "C"

namespace usb {
// Sets up the library's global state (the open-device list and its lock) before the first
// USBOpenDevice; the main dialog calls it when it starts. Calling it again leaves the devices
// still open in the list.
void initUsbLibrary();
// The device-interface path a device was opened at: it names the USB instance, which stays the
// device's own whatever the device answers and wherever it stands in the device list. Empty for
// a handle that is no open device.
std::string devicePathOf(USB_DEVICE_HANDLE device);
}  // namespace usb
