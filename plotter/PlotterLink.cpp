#include "plotter/PlotterLink.h"

#include "plotter/PlotterLinkState.h"
#include "usb/UsbIdentifiers.h"

namespace plotter {
namespace {

using usb::UniqueUsbDevice;
using usb::UniqueUsbDeviceList;

// Opens the device at a position of the list; 0, or what USBOpenDevice gave (the device stays
// empty then): USBERR_NO_MORE_DEVICES past the end of the list, else why the device that is
// there did not open.
DWORD openListPosition(const UniqueUsbDeviceList& list, DWORD position, UniqueUsbDevice& device) {
  USB_DEVICE_HANDLE opened = nullptr;
  const DWORD error = USBOpenDevice(list.get(), position, &opened);
  device.reset(opened);
  return error;
}

// A descriptor that cannot be read stays zero, and so does not match.
bool carriesLegacyIdentifiers(USB_DEVICE_HANDLE device) {
  usb::UsbDeviceDescriptor descriptor{};
  USBGetDeviceDesc(device, &descriptor, nullptr);
  return descriptor.idVendor == usb::kLegacyVendorId &&
         descriptor.idProduct == usb::kLegacyProductId;
}

// Walks the device list to its end and hands each device with the legacy identifiers to visit,
// which returns false to stop the walk. Only the end of the list ends it: a device that is
// there but does not open (held by another program, refused to this user) is skipped, and
// added to notOpened if given.
template <typename Visit>
void walkLinkPlotters(Visit visit, std::vector<DeviceNotOpened>* notOpened = nullptr) {
  UniqueUsbDeviceList list(USBGetDeviceList());
  if (!list) return;
  for (DWORD position = 0; position <= kLastLinkPosition; ++position) {
    UniqueUsbDevice device;
    const DWORD error = openListPosition(list, position, device);
    if (error == USBERR_NO_MORE_DEVICES) return;
    if (error != 0) {
      if (notOpened != nullptr) notOpened->push_back({position, error});
      continue;
    }
    if (carriesLegacyIdentifiers(device.get()) && !visit(device)) return;
  }
}

}  // namespace

int countLinkPlotters(std::vector<DeviceNotOpened>* notOpened) {
  int count = 0;
  walkLinkPlotters(
      [&](UniqueUsbDevice&) {
        ++count;
        return true;
      },
      notOpened);
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
