// A device of the vendor driver's list that is there but did not open. The walks over the list
// skip it, so that one plotter held by another program, or refused to this user, hides none of
// the plotters after it; discovery notes it, so that a front end can say why a plotter is missing.
#pragma once

#include "os/Win32.h"

namespace plotter {

struct DeviceNotOpened {
  DWORD position;  // in the driver's device list, from 0
  DWORD error;     // what USBOpenDevice gave: a Windows error or a status of the USB library
};

// Why a device did not open, as far as its error tells. CreateFile on a device fails with
// ERROR_SHARING_VIOLATION when another program holds it open without sharing it, and with
// ERROR_BUSY when its driver takes one open at a time and another program has it; with
// ERROR_ACCESS_DENIED when the device's security refuses this user (a driver that allows a single
// open refuses a second one this way too, so "access denied" may also mean "in use").
enum class OpenRefusal { InUse, AccessDenied, Other };

inline OpenRefusal openRefusalOf(DWORD error) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_BUSY) return OpenRefusal::InUse;
  if (error == ERROR_ACCESS_DENIED) return OpenRefusal::AccessDenied;
  return OpenRefusal::Other;
}

}  // namespace plotter
