// The transport of a transfer channel: the plotter interface's three pipes and the device they
// belong to.
#pragma once

#include "usb/UsbApi.h"

namespace channel {

// In this order: bulk IN, bulk OUT, interrupt, device. The set owns none of them: the channel
// that holds it owns the pipes and the device.
struct PipeSet {
  USB_PIPE_HANDLE bulkIn = nullptr;
  USB_PIPE_HANDLE bulkOut = nullptr;
  USB_PIPE_HANDLE interrupt = nullptr;
  USB_DEVICE_HANDLE device = nullptr;
};

// Closes whichever of the three pipes are open; they become null. The device stays open.
void closePipeSet(PipeSet& pipes);

}  // namespace channel
