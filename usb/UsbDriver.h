// The maker's USB kernel driver as the library sees it: its device-interface class, its I/O
// control codes, its records and its pipe paths. Only the USB library (usb/UsbApi) talks to the
// driver; the virtual plotter's driver face answers the same codes with the same records.
#pragma once

#include <cstddef>

#include "os/Win32.h"

namespace usb {

// {239D60C9-CCAF-11D5-AC21-204C4F4F5020}
inline constexpr GUID GUID_DEVINTERFACE_UDRV = {
    0x239D60C9, 0xCCAF, 0x11D5, {0xAC, 0x21, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}};

// Device type 0x70DD, any access, method buffered; the control request alone is out-direct.
inline constexpr DWORD IOCTL_UDRV_GET_DESCRIPTOR = 0x70DD2004;
inline constexpr DWORD IOCTL_UDRV_GET_CONFIGURATION = 0x70DD2008;
inline constexpr DWORD IOCTL_UDRV_SET_CONFIGURATION = 0x70DD200C;
inline constexpr DWORD IOCTL_UDRV_FEATURE = 0x70DD2018;
inline constexpr DWORD IOCTL_UDRV_GET_STATUS = 0x70DD201C;
inline constexpr DWORD IOCTL_UDRV_SET_INTERFACE = 0x70DD2020;
inline constexpr DWORD IOCTL_UDRV_CONTROL_REQUEST = 0x70DD2026;
inline constexpr DWORD IOCTL_UDRV_CYCLE_PORT = 0x70DD2028;
inline constexpr DWORD IOCTL_UDRV_UNCONFIGURE = 0x70DD202C;
inline constexpr DWORD IOCTL_UDRV_RESET_DEVICE = 0x70DD2030;
inline constexpr DWORD IOCTL_UDRV_LOCK = 0x70DD2034;
inline constexpr DWORD IOCTL_UDRV_RESET_PIPE = 0x70DD2040;
inline constexpr DWORD IOCTL_UDRV_ATTACH_PIPE = 0x70DD2044;
inline constexpr DWORD IOCTL_UDRV_GET_PIPE_TOKEN = 0x70DD2048;
inline constexpr DWORD IOCTL_UDRV_GET_INTERFACE = 0x70DD204C;

// USB descriptor types as the descriptor request names them.
inline constexpr BYTE USB_DEVICE_DESCRIPTOR_TYPE = 1;
inline constexpr BYTE USB_CONFIGURATION_DESCRIPTOR_TYPE = 2;
inline constexpr BYTE USB_STRING_DESCRIPTOR_TYPE = 3;
inline constexpr BYTE USB_INTERFACE_DESCRIPTOR_TYPE = 4;
inline constexpr BYTE USB_ENDPOINT_DESCRIPTOR_TYPE = 5;

// Lock operations of IOCTL_UDRV_LOCK.
inline constexpr DWORD UDRV_LOCK_TAKE = 1;
inline constexpr DWORD UDRV_LOCK_RELEASE = 2;
inline constexpr DWORD UDRV_LOCK_CHANNEL_CLOSED = 4;

inline constexpr int UDRV_MAX_INTERFACE_ENTRIES = 127;

#pragma pack(push, 1)

// Descriptor request. Device: param all 0. Configuration: param[0] index. String: param[0..1]
// language ID (little-endian), param[2] index. Interface: param[0..2] configuration index,
// interface index, alternate setting. Endpoint: as interface plus param[3] endpoint index; when
// param[0..2] are all 0xFF, param[3] is an endpoint address in the active configuration.
struct UdrvDescriptorRequest {
  BYTE descriptorType;
  BYTE param[4];
};

struct UdrvInterfaceEntry {
  BYTE interfaceNumber;
  BYTE alternateSetting;
  DWORD parameter;
};

struct UdrvConfigurationRecord {
  WORD configurationIndex;
  DWORD entryCount;
  UdrvInterfaceEntry entries[UDRV_MAX_INTERFACE_ENTRIES];
};

struct UdrvFeatureRecord {
  WORD selector;
  BYTE feature;
  BYTE clear;  // 0 set, 1 clear
};

struct UdrvControlRecord {
  WORD field0;
  BYTE field1;
  WORD field2;
  WORD field3;
};

// USB standard layouts that the library and the channel read.
struct UsbDeviceDescriptor {
  BYTE bLength;
  BYTE bDescriptorType;
  WORD bcdUSB;
  BYTE bDeviceClass;
  BYTE bDeviceSubClass;
  BYTE bDeviceProtocol;
  BYTE bMaxPacketSize0;
  WORD idVendor;
  WORD idProduct;
  WORD bcdDevice;
  BYTE iManufacturer;
  BYTE iProduct;
  BYTE iSerialNumber;
  BYTE bNumConfigurations;
};

struct UsbConfigurationDescriptor {
  BYTE bLength;
  BYTE bDescriptorType;
  WORD wTotalLength;
  BYTE bNumInterfaces;
  BYTE bConfigurationValue;
  BYTE iConfiguration;
  BYTE bmAttributes;
  BYTE bMaxPower;
};

struct UsbInterfaceDescriptor {
  BYTE bLength;
  BYTE bDescriptorType;
  BYTE bInterfaceNumber;
  BYTE bAlternateSetting;
  BYTE bNumEndpoints;
  BYTE bInterfaceClass;
  BYTE bInterfaceSubClass;
  BYTE bInterfaceProtocol;
  BYTE iInterface;
};

struct UsbEndpointDescriptor {
  BYTE bLength;
  BYTE bDescriptorType;
  BYTE bEndpointAddress;
  BYTE bmAttributes;
  WORD wMaxPacketSize;
  BYTE bInterval;
};

#pragma pack(pop)

static_assert(sizeof(UdrvDescriptorRequest) == 5);
static_assert(sizeof(UdrvInterfaceEntry) == 6);
static_assert(sizeof(UdrvConfigurationRecord) == 768);
static_assert(sizeof(UdrvFeatureRecord) == 4);
static_assert(sizeof(UdrvControlRecord) == 7);
static_assert(sizeof(UsbDeviceDescriptor) == 18);
static_assert(sizeof(UsbConfigurationDescriptor) == 9);
static_assert(sizeof(UsbInterfaceDescriptor) == 9);
static_assert(sizeof(UsbEndpointDescriptor) == 7);

}  // namespace usb
