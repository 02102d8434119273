// A simulated machine with one virtual plotter, reached through the USB library.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "sim/VirtualPlotter.h"
#include "tests/support/SimMachineTest.h"
#include "usb/UsbApi.h"

namespace velkor::test {

class UsbLibraryTest : public SimMachineTest {
 protected:
  // Plugs the plotter in (as its identity says) and opens it as device 0 of a fresh list.
  USB_DEVICE_HANDLE openPlotter() {
    plotter.plugIn(machine);
    HDEVINFO list = USBGetDeviceList();
    USB_DEVICE_HANDLE device = nullptr;
    EXPECT_EQ(USBOpenDevice(list, 0, &device), 0u);
    USBReleaseDeviceList(list);
    return device;
  }

  USB_PIPE_HANDLE openPipe(USB_DEVICE_HANDLE device, DWORD address) {
    USB_PIPE_HANDLE pipe = nullptr;
    EXPECT_EQ(USBOpenPipe(device, address, &pipe), 0u);
    return pipe;
  }

  // The setup requests with this I/O control code that reached the plotter, by their input.
  std::vector<std::vector<BYTE>> setupRequests(DWORD code) const {
    std::vector<std::vector<BYTE>> inputs;
    for (const sim::DriverEvent& event : plotter.driverEvents()) {
      if (event.kind == sim::DriverEvent::Kind::Setup && event.value == code) {
        inputs.push_back(event.bytes);
      }
    }
    return inputs;
  }

  sim::VirtualPlotter plotter;
};

// The plotter open with the three pipes of its plotter interface, and its log cleared.
class OpenPlotterTest : public UsbLibraryTest {
 protected:
  void SetUp() override {
    UsbLibraryTest::SetUp();
    device = openPlotter();
    bulkIn = openPipe(device, 0x81);
    bulkOut = openPipe(device, 0x02);
    interrupt = openPipe(device, 0x83);
    plotter.clearDriverLog();
  }
  void TearDown() override {
    USBCloseDevice(&device);
    UsbLibraryTest::TearDown();
  }

  USB_DEVICE_HANDLE device = nullptr;
  USB_PIPE_HANDLE bulkIn = nullptr;
  USB_PIPE_HANDLE bulkOut = nullptr;
  USB_PIPE_HANDLE interrupt = nullptr;
};

}  // namespace velkor::test
