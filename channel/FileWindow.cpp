#include "channel/FileWindow.h"

#include <algorithm>

namespace channel {

bool FileWindow::covers(DWORD offset, DWORD length) const {
  return view_ && offset >= offset_ && offset - offset_ <= length_ &&
         length <= length_ - (offset - offset_);
}

DWORD FileWindow::cover(HANDLE mapping, DWORD fileSize, DWORD offset, DWORD length) {
  if (covers(offset, length)) return 0;
  view_.reset();  // one view at a time
  const DWORD start = offset - offset % kViewAlignment;
  const DWORD needed = offset - start + length;
  const DWORD viewLength = std::min(std::max(kTransferWindow, needed), fileSize - start);
  view_.reset(os::MapViewOfFile(mapping, FILE_MAP_READ, 0, start, viewLength));
  if (!view_) return os::GetLastError();
  offset_ = start;
  length_ = viewLength;
  return 0;
}

}  // namespace channel
