#include "channel/TransferChannel.h"

#include <new>
#include <utility>

#include "channel/PlotterInterface.h"
#include "os/Calls.h"

namespace channel {
namespace {

// The one interface entry an unconfigured device is configured with.
constexpr DWORD kPlotterInterfaceParameter = 0x00100000;
constexpr BYTE kVendorSubclass = 0xFF;

// A device whose configuration value is 0 is configured with index 0 and the plotter entry; a
// configured device keeps its configuration. A failed read counts as unconfigured.
DWORD configureIfNeeded(USB_DEVICE_HANDLE device) {
  BYTE value = 0;
  USBGetConfiguration(device, &value, nullptr);
  if (value != 0) return 0;
  const usb::UdrvInterfaceEntry entry{0, 0, kPlotterInterfaceParameter};
  return USBSetConfiguration(device, 0, 1, &entry, nullptr);
}

// The number of interfaces, from the head of configuration descriptor 0.
DWORD readInterfaceCount(USB_DEVICE_HANDLE device, BYTE& count) {
  usb::UsbConfigurationDescriptor configuration{};
  DWORD length = sizeof configuration;
  DWORD status = USBGetConfigDesc(device, 0, &configuration, &length, nullptr);
  count = configuration.bNumInterfaces;
  return status;
}

DWORD checkVendorSubclass(USB_DEVICE_HANDLE device, BYTE interfaceIndex) {
  usb::UsbInterfaceDescriptor descriptor{};
  DWORD status = USBGetInterfaceDesc(device, 0, interfaceIndex, 0, &descriptor, nullptr);
  if (status != 0) return status;
  return descriptor.bInterfaceSubClass == kVendorSubclass ? 0 : ERROR_NOT_FOUND;
}

// Configures the device if needed and opens the plotter interface's pipes into pipes; on
// failure no pipe is left open.
DWORD openPlotterPipes(USB_DEVICE_HANDLE device, PipeSet& pipes) {
  DWORD status = configureIfNeeded(device);
  if (status != 0) return status;
  BYTE interfaceCount = 0;
  status = readInterfaceCount(device, interfaceCount);
  if (status != 0) return status;
  BYTE interfaceIndex = 0;
  status = findPlotterInterface(device, interfaceCount, interfaceIndex, pipes);
  if (status != 0) return status;
  status = checkVendorSubclass(device, interfaceIndex);
  if (status != 0) closePipeSet(pipes);
  return status;
}

}  // namespace

TransferChannel::~TransferChannel() { closeTransferChannel(this); }

std::unique_ptr<TransferChannel> openTransferChannel(usb::UniqueUsbDevice& device) {
  PipeSet pipes;
  DWORD status = openPlotterPipes(device.get(), pipes);
  if (status != 0) {
    os::SetLastError(status);
    return nullptr;
  }
  std::unique_ptr<TransferChannel> channel(new (std::nothrow) TransferChannel);
  if (!channel) {
    closePipeSet(pipes);
    os::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  channel->tag = kTransferChannelTag;
  channel->device = std::move(device);
  channel->pipes = pipes;
  setTransferChunkSize(channel.get(), kDefaultChunkSize);
  return channel;
}

void closeTransferChannel(TransferChannel* channel) {
  if (!isTransferChannel(channel)) return;
  USBLockDevice(channel->pipes.device, usb::UDRV_LOCK_CHANNEL_CLOSED);
  closePipeSet(channel->pipes);
  // No longer a channel; its lock goes when the owner frees the record.
  channel->tag = 0;
}

bool isTransferChannel(const TransferChannel* channel) {
  return channel != nullptr && channel->tag == kTransferChannelTag;
}

DWORD transferChannelError(const TransferChannel* channel) {
  if (!isTransferChannel(channel)) return kNotAChannel;
  if (channel->lastError != 0) return channel->lastError;
  return os::GetLastError();
}

bool setTransferChunkSize(TransferChannel* channel, DWORD size) {
  if (!isTransferChannel(channel) || size == 0) return false;
  channel->chunkSize = size;
  return true;
}

bool failTransfer(TransferChannel& channel, DWORD error) {
  channel.lastError = error;
  return false;
}

}  // namespace channel
