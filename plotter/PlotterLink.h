// The plotter link: the one vendor-driver plotter the program talks to at a time, opened at a
// chosen link place together with its transfer channel, and kept open until another place is
// chosen or the work is done.
//
// A link place is a plotter's 0-based position among the devices of the vendor driver's device
// list that carry both legacy identifiers in their device descriptor, in device-list order. A
// device that is listed but does not open has no descriptor to read and so no place; every walk
// skips it alike, so that counting and opening give each place to the same device.
#pragma once

#include <vector>

#include "channel/TransferChannel.h"
#include "plotter/DeviceNotOpened.h"

namespace plotter {

// What the link's operations give when the plotter does not answer or the link did not open.
inline constexpr int kLinkFailed = -4;
// Every walk over the device list looks at positions 0 to this one at most.
inline constexpr DWORD kLastLinkPosition = 254;

// The number of devices with the legacy identifiers in the vendor driver's device list. The
// devices that are listed but did not open are added to notOpened, if given.
int countLinkPlotters(std::vector<DeviceNotOpened>* notOpened = nullptr);
// 0 when the plotter at the chosen place and its channel are open; kLinkFailed otherwise. When
// only the channel could not be opened, the device stays held.
int openPlotterLink();
// openPlotterLink unless the link's channel is open already: a link that holds its device
// without a channel (the channel did not open) is opened anew rather than left failing.
int ensurePlotterLinkOpen();
// Closes the channel and the device; both become empty.
void closePlotterLink();
// A different place closes the link and becomes the chosen place; the same place changes nothing.
void selectLinkPlace(int place);
// What the link holds; null when closed.
USB_DEVICE_HANDLE linkDevice();
channel::TransferChannel* linkChannel();

}  // namespace plotter
