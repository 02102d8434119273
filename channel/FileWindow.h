// The part of a file being sent that is in the address space: one read view of its mapping at a
// time, a few MiB long, so that a file of any size the request can carry (up to 4 GiB - 1) goes
// through a 32-bit process and resident memory stays flat.
#pragma once

#include "os/Handles.h"

namespace channel {

// How much of the file one view shows, unless a block needs more.
inline constexpr DWORD kTransferWindow = DWORD{4} << 20;
// Views start at multiples of the allocation granularity.
inline constexpr DWORD kViewAlignment = 65536;

class FileWindow {
 public:
  // Makes the view show the file's bytes from offset for length bytes (all within fileSize):
  // the view mapped already if it does, else a new one from the aligned offset at or below
  // offset, kTransferWindow long or as long as the block needs, ending at the file's end at
  // the latest. The old view is unmapped before the new one is mapped. Returns 0 or
  // MapViewOfFile's error, the view then gone.
  DWORD cover(HANDLE mapping, DWORD fileSize, DWORD offset, DWORD length);
  // The file's byte at offset, which the view covers.
  const BYTE* at(DWORD offset) const {
    return static_cast<const BYTE*>(view_.get()) + (offset - offset_);
  }

 private:
  bool covers(DWORD offset, DWORD length) const;

  os::UniqueMappedView view_;
  DWORD offset_ = 0;  // the file offset of the view's first byte
  DWORD length_ = 0;
};

}  // namespace channel
