// LocalAlloc and LocalFree on the simulated machine: blocks from the real heap, tracked so that
// a test sees blocks left unfreed and a free of a foreign pointer fails instead of crashing.
#pragma once

#include <cstddef>
#include <set>

#include "os/Win32.h"

namespace os::sim {

class LocalHeap {
 public:
  LocalHeap() = default;
  ~LocalHeap();
  LocalHeap(const LocalHeap&) = delete;
  LocalHeap& operator=(const LocalHeap&) = delete;

  // Null (last error set) when the heap has no room. LMEM_ZEROINIT zero-fills.
  HLOCAL allocate(UINT flags, SIZE_T bytes);
  // Null on success (also for null); the block itself, with ERROR_INVALID_HANDLE, if it is not
  // one of this heap's.
  HLOCAL free(HLOCAL block);
  size_t count() const { return blocks_.size(); }

 private:
  std::set<void*> blocks_;
};

}  // namespace os::sim
