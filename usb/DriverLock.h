// The vendor driver's device lock (IOCTL_UDRV_LOCK) as the driver keeps it: taken and released
// in nesting by the holder of the transfer channel, let go whole when the channel closes. Kept
// here for whatever stands in the driver's place.
#pragma once

#include "os/Win32.h"
#include "usb/UsbDriver.h"

namespace usb {

class DriverLock {
 public:
  // ERROR_SUCCESS, or ERROR_INVALID_PARAMETER for a release of a lock not held or an operation
  // the driver does not know.
  DWORD apply(DWORD operation) {
    switch (operation) {
      case UDRV_LOCK_TAKE:
        ++depth_;
        return ERROR_SUCCESS;
      case UDRV_LOCK_RELEASE:
        if (depth_ == 0) return ERROR_INVALID_PARAMETER;
        --depth_;
        return ERROR_SUCCESS;
      case UDRV_LOCK_CHANNEL_CLOSED:
        depth_ = 0;
        return ERROR_SUCCESS;
      default:
        return ERROR_INVALID_PARAMETER;
    }
  }
  int depth() const { return depth_; }
  void clear() { depth_ = 0; }

 private:
  int depth_ = 0;
};

// Whether a configuration record's entry count is one the driver takes: all interfaces
// (0xFFFFFFFF), or 1 to UDRV_MAX_INTERFACE_ENTRIES entries.
inline bool entryCountFits(const UdrvConfigurationRecord& record) {
  return record.entryCount == 0xFFFFFFFF ||
         (record.entryCount > 0 && record.entryCount <= UDRV_MAX_INTERFACE_ENTRIES);
}

}  // namespace usb
