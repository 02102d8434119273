// Channels opened straight on the first device of the vendor driver's list, through the real
// USB library.
#pragma once

#include <string>

#include "channel/TransferChannel.h"
#include "tests/support/VendorDriverTest.h"
#include "usb/UsbHandles.h"

namespace velkor::test {

class ChannelTest : public VendorDriverTest {
 protected:
  void TearDown() override {
    channel_.reset();
    VendorDriverTest::TearDown();
  }

  // Opens the device at position 0 and a channel on it, which owns the device; null if the
  // channel does not open, the device then closed again.
  channel::TransferChannel* openChannel() {
    usb::UniqueUsbDeviceList list(USBGetDeviceList());
    USB_DEVICE_HANDLE handle = nullptr;
    EXPECT_EQ(USBOpenDevice(list.get(), 0, &handle), 0u);
    usb::UniqueUsbDevice device(handle);
    channel_ = channel::openTransferChannel(device);
    return channel_.get();
  }

  // The endpoint address behind a pipe, from the copy the library keeps.
  static BYTE endpointOf(USB_PIPE_HANDLE pipe) {
    usb::UsbEndpointDescriptor endpoint{};
    USBPipeGetDescriptor(pipe, &endpoint);
    return endpoint.bEndpointAddress;
  }

  std::unique_ptr<channel::TransferChannel> channel_;
};

// A channel open on one plotter, whose driver log starts empty.
class JobTest : public ChannelTest {
 protected:
  void SetUp() override {
    ChannelTest::SetUp();
    plotter_ = &plugIn();
    channel = openChannel();
    plotter_->clearDriverLog();
  }
  channel::TransferChannel* channel = nullptr;
  sim::VirtualPlotter* plotter_ = nullptr;
};

// A plotter whose interfaces are the ones given, the plotter interface not among them unless
// listed.
inline sim::PlotterIdentity withInterfaces(std::vector<sim::InterfaceSetup> interfaces) {
  sim::PlotterIdentity identity;
  identity.interfaces = std::move(interfaces);
  return identity;
}

// An interface of three endpoints: bulk IN, bulk OUT and interrupt at 0x8N, 0x0N+1, 0x8N+2.
inline sim::InterfaceSetup threeEndpoints(BYTE interfaceClass, BYTE subclass, BYTE protocol,
                                          BYTE firstEndpoint) {
  return {interfaceClass,
          subclass,
          protocol,
          {{static_cast<BYTE>(0x80 | firstEndpoint), 2, 64, 0},
           {static_cast<BYTE>(firstEndpoint + 1), 2, 64, 0},
           {static_cast<BYTE>(0x80 | (firstEndpoint + 2)), 3, 8, 10}}};
}

}  // namespace velkor::test
