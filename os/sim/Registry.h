// The registry calls of the simulated machine, read only, over the keys of a RegistryTree.
// Like the Windows calls they return the error code and leave the last error alone.
#pragma once

#include "os/sim/FaultInjector.h"
#include "os/sim/HandleTable.h"
#include "os/sim/RegistryTree.h"

namespace os::sim {

class Registry {
 public:
  Registry(HandleTable& handles, const RegistryTree& tree, FaultInjector& faults)
      : handles_(handles), tree_(tree), faults_(faults) {}

  LSTATUS openKey(HKEY key, LPCSTR subKey, PHKEY result);
  LSTATUS queryValue(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data, LPDWORD dataSize);
  LSTATUS queryInfoKey(HKEY key, LPSTR className, LPDWORD classNameSize, LPDWORD subKeys,
                       LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                       LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                       LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);
  LSTATUS enumKey(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPSTR className,
                  LPDWORD classNameSize, PFILETIME lastWriteTime);
  LSTATUS closeKey(HKEY key);

 private:
  // HKEY_LOCAL_MACHINE or the key behind an open handle; null for anything else.
  const RegistryKey* resolve(HKEY key) const;

  HandleTable& handles_;
  const RegistryTree& tree_;
  FaultInjector& faults_;
};

}  // namespace os::sim
