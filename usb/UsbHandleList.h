// A circular doubly linked list of handles: the open devices of the library, or the open pipes
// of one device. A new member becomes the newest; the oldest is remembered, so that members can
// be taken oldest first. The list does not own its members; its owner's lock guards it.
#pragma once

#include "os/Win32.h"
#include "usb/UsbHandle.h"

namespace usb {

struct UsbHandleList {
  UsbHandle* newest = nullptr;
  UsbHandle* oldest = nullptr;
  DWORD count = 0;

  void add(UsbHandle& member);
  void remove(UsbHandle& member);
};

}  // namespace usb
