#include "plotter/PlotterLink.h"

#include "plotter/PlotterLinkState.h"
#include "usb/UsbIdentifiers.h"

namespace plotter {
namespace {

using usb::UniqueUsbDevice;
using usb::UniqueUsbDeviceList;

// The device at a position of the list; empty when the position is past the end or the
// device cannot be opened.
UniqueUsbDevice openListPosition(const UniqueUsbDeviceList& list, DWORD position) {
  USB_DEVICE_HANDLE device = nullptr;
  if (USBOpenDevice(list.get(), position, &device) != 0) return UniqueUsbDevice();
  return UniqueUsbDevice(device);
}

// A descriptor that cannot be read stays zero, and so does not match.
bool carriesLegacyIdentifiers(USB_DEVICE_HANDLE device) {
  usb::UsbDeviceDescriptor descriptor{};
  USBGetDeviceDesc(device, &descriptor, nullptr);
  return descriptor.idVendor == usb::kLegacyVendorId &&
         descriptor.idProduct == usb::kLegacyProductId;
}

// Walks the device list up to the first position that cannot be opened (so a list whose
// position 0 cannot be opened has no plotters) and hands each device with the legacy
// identifiers to visit, which returns false to stop the walk.
template <typename Visit>
void walkLinkPlotters(Visit visit) {
  UniqueUsbDeviceList list(USBGetDeviceList());
  for (DWORD position = 0; position <= kLastLinkPosition; ++position) {
    UniqueUsbDevice device = openListPosition(list, position);
    if (!device) return;
    if (carriesLegacyIdentifiers(device.get()) && !visit(device)) return;
  }
}

}  // namespace

int countLinkPlotters() {
  int count = 0;
  walkLinkPlotters([&](UniqueUsbDevice&) {
    ++count;
    return true;
  });
  return count;
}

int openPlotterLink() {
  closePlotterLink();
  PlotterLinkState& link = plotterLinkState();
  int matches = 0;
  walkLinkPlotters([&](UniqueUsbDevice& device) {
    if (matches++ != link.chosenPlace) return true;
    link.device = std::move(device);
    return false;
  });
  if (!link.device) return kLinkFailed;
  link.channel = channel::openTransferChannel(link.device);
  return link.channel ? 0 : kLinkFailed;
}

int ensurePlotterLinkOpen() { return linkChannel() ? 0 : openPlotterLink(); }

void closePlotterLink() {
  PlotterLinkState& link = plotterLinkState();
  link.channel.reset();  // closes its pipes, then its device
  link.device.reset();
}

void selectLinkPlace(int place) {
  PlotterLinkState& link = plotterLinkState();
  if (place == link.chosenPlace) return;
  closePlotterLink();
  link.chosenPlace = place;
}

USB_DEVICE_HANDLE linkDevice() {
  const PlotterLinkState& link = plotterLinkState();
  return link.channel ? link.channel->device.get() : link.device.get();
}

channel::TransferChannel* linkChannel() { return plotterLinkState().channel.get(); }

}  // namespace plotter
