#include "os/sim/LocalHeap.h"

#include <cstdlib>

#include "os/sim/LastError.h"

namespace os::sim {

LocalHeap::~LocalHeap() {
  for (void* block : blocks_) std::free(block);
}

HLOCAL LocalHeap::allocate(UINT flags, SIZE_T bytes) {
  // A zero-byte block is still a distinct block, as on Windows.
  size_t size = bytes ? bytes : 1;
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
  if (!block) {
    failWith(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  blocks_.insert(block);
  return block;
}

HLOCAL LocalHeap::free(HLOCAL block) {
  if (!block) return nullptr;
  if (blocks_.erase(block) == 0) {
    failWith(ERROR_INVALID_HANDLE);
    return block;
  }
  std::free(block);
  return nullptr;
}

}  // namespace os::sim
