// File mappings on the simulated machine: read-only mappings of host files, and the views
// mapped from them. A view outlives the mapping and the file handles, as on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "os/sim/FaultInjector.h"
#include "os/sim/HandleTable.h"
#include "os/sim/HostFile.h"
#include "os/sim/HostMapping.h"

namespace os::sim {

class FileMappings {
 public:
  FileMappings(HandleTable& handles, FaultInjector& faults) : handles_(handles), faults_(faults) {}

  // Only PAGE_READONLY mappings of host files opened for reading; a size of 0 maps the whole
  // file, and an empty file cannot be mapped (ERROR_FILE_INVALID).
  HANDLE createMapping(HANDLE file, DWORD protect, uint64_t maximumSize);
  LPVOID mapView(HANDLE mapping, DWORD access, uint64_t offset, SIZE_T bytes);
  BOOL unmapView(LPCVOID view);
  size_t viewCount() const { return views_.size(); }

 private:
  HandleTable& handles_;
  FaultInjector& faults_;
  std::map<const void*, std::unique_ptr<HostView>> views_;
};

}  // namespace os::sim
