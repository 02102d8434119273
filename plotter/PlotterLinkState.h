// The plotter link's process-wide state: the one open vendor-driver plotter, its transfer
// channel and the link place chosen for it. It lives for the whole run.
#pragma once

#include <memory>

#include "channel/TransferChannel.h"
#include "usb/UsbHandles.h"

namespace plotter {

struct PlotterLinkState {
  // The plotter's device while no channel could be opened on it; a channel owns its device.
  usb::UniqueUsbDevice device;
  std::unique_ptr<channel::TransferChannel> channel;  // empty when none is open
  int chosenPlace = 0;
};

PlotterLinkState& plotterLinkState();

}  // namespace plotter
