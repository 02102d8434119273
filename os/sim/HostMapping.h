// Read-only views of host files for the simulated machine's file mappings: mmap on POSIX hosts
// (HostMappingPosix.cpp), the host's own mapping calls on Windows hosts (HostMappingWin32.cpp).
// Each view is a mapping of its own, so two views never share an address, as on Windows.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "os/Win32.h"

namespace os::sim {

class HostView {
 public:
  virtual ~HostView() = default;
  virtual const BYTE* data() const = 0;
};

// Maps length bytes (above 0) of the stream's file from offset (a multiple of 65,536);
// null and *error set on failure.
std::unique_ptr<HostView> mapHostFile(std::FILE* stream, uint64_t offset, size_t length,
                                      DWORD* error);

}  // namespace os::sim
