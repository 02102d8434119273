#include "channel/PlotterInterface.h"

#include <array>
#include <optional>

#include "usb/UsbHandles.h"

namespace channel {
namespace {

constexpr BYTE kPrinterClass = 7;
constexpr BYTE kMassStorageClass = 8;
constexpr BYTE kEndpointsOfPlotterInterface = 3;
constexpr BYTE kBulkAttributes = 2;
constexpr BYTE kInterruptAttributes = 3;
constexpr BYTE kDirectionIn = 0x80;

bool isCandidate(USB_DEVICE_HANDLE device, BYTE interfaceIndex) {
  usb::UsbInterfaceDescriptor descriptor{};
  if (USBGetInterfaceDesc(device, 0, interfaceIndex, 0, &descriptor, nullptr) != 0) return false;
  return (descriptor.bInterfaceClass == kPrinterClass ||
          descriptor.bInterfaceClass == kMassStorageClass) &&
         descriptor.bInterfaceProtocol == 0 &&
         descriptor.bNumEndpoints == kEndpointsOfPlotterInterface;
}

// Endpoint addresses of the plotter interface, in the order of the pipe set.
struct PlotterEndpoints {
  std::optional<BYTE> bulkIn;
  std::optional<BYTE> bulkOut;
  std::optional<BYTE> interrupt;
};

// Where an endpoint belongs by its attributes byte; null for any other kind. The interrupt
// endpoint's direction is not looked at.
std::optional<BYTE>* slotFor(PlotterEndpoints& endpoints,
                             const usb::UsbEndpointDescriptor& endpoint) {
  if (endpoint.bmAttributes == kInterruptAttributes) return &endpoints.interrupt;
  if (endpoint.bmAttributes != kBulkAttributes) return nullptr;
  return (endpoint.bEndpointAddress & kDirectionIn) ? &endpoints.bulkIn : &endpoints.bulkOut;
}

// Reads the candidate's endpoints 0, 1 and 2 and sorts them by kind. A failed read, a kind
// found twice or any other kind fails.
DWORD sortEndpoints(USB_DEVICE_HANDLE device, BYTE interfaceIndex, PlotterEndpoints& endpoints) {
  for (BYTE index = 0; index < kEndpointsOfPlotterInterface; ++index) {
    usb::UsbEndpointDescriptor endpoint{};
    DWORD status = USBGetEndpointDesc(device, 0, interfaceIndex, 0, index, &endpoint, nullptr);
    if (status != 0) return status;
    std::optional<BYTE>* slot = slotFor(endpoints, endpoint);
    if (!slot || slot->has_value()) return ERROR_NOT_FOUND;
    *slot = endpoint.bEndpointAddress;
  }
  return 0;
}

// Opens bulk IN, bulk OUT and interrupt in that order; if one fails, those open are closed.
DWORD openPipes(USB_DEVICE_HANDLE device, const PlotterEndpoints& endpoints, PipeSet& pipes) {
  const std::array<BYTE, 3> addresses = {*endpoints.bulkIn, *endpoints.bulkOut,
                                         *endpoints.interrupt};
  std::array<usb::UniqueUsbPipe, 3> opened;
  for (size_t i = 0; i < addresses.size(); ++i) {
    USB_PIPE_HANDLE pipe = nullptr;
    DWORD status = USBOpenPipe(device, addresses[i], &pipe);
    if (status != 0) return status;
    opened[i].reset(pipe);
  }
  pipes = {opened[0].release(), opened[1].release(), opened[2].release(), device};
  return 0;
}

}  // namespace

DWORD findPlotterInterface(USB_DEVICE_HANDLE device, BYTE interfaceCount, BYTE& interfaceIndex,
                           PipeSet& pipes) {
  pipes = PipeSet{};
  BYTE candidate = interfaceIndex;
  while (candidate < interfaceCount && !isCandidate(device, candidate)) ++candidate;
  if (candidate >= interfaceCount) return ERROR_NOT_FOUND;

  PlotterEndpoints endpoints;
  DWORD status = sortEndpoints(device, candidate, endpoints);
  if (status == 0) status = openPipes(device, endpoints, pipes);
  if (status == 0) interfaceIndex = candidate;
  return status;
}

}  // namespace channel
