// Finding the plotter interface of a device: the one interface whose three endpoints are a bulk
// IN, a bulk OUT and an interrupt endpoint.
#pragma once

#include "channel/PipeSet.h"

namespace channel {

// Searches interfaces interfaceIndex .. interfaceCount - 1 of configuration 0 for the first
// candidate (class 7 or 8, protocol 0, exactly 3 endpoints) and opens its three pipes into
// pipes. Only the first candidate is tried. Returns 0 with interfaceIndex set to the
// candidate's, or the status that ended the search (ERROR_NOT_FOUND where no library call
// failed) with no pipe open.
DWORD findPlotterInterface(USB_DEVICE_HANDLE device, BYTE interfaceCount, BYTE& interfaceIndex,
                           PipeSet& pipes);

}  // namespace channel
