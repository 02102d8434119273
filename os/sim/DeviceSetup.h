// Device setup lists (SetupDi...) on the simulated machine: a list is a snapshot, taken when it
// is created, of the interfaces of a class in registration order.
#pragma once

#include "os/sim/DeviceNamespace.h"
#include "os/sim/FaultInjector.h"
#include "os/sim/HandleTable.h"

namespace os::sim {

class DeviceSetup {
 public:
  DeviceSetup(HandleTable& handles, const DeviceNamespace& devices, FaultInjector& faults)
      : handles_(handles), devices_(devices), faults_(faults) {}

  HDEVINFO getClassDevs(const GUID* classGuid, DWORD flags);
  BOOL enumInterfaces(HDEVINFO list, const GUID* classGuid, DWORD index,
                      PSP_DEVICE_INTERFACE_DATA data);
  BOOL getInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                          PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                          PDWORD requiredSize, PSP_DEVINFO_DATA devInfo);
  BOOL destroyList(HDEVINFO list);

 private:
  HandleTable& handles_;
  const DeviceNamespace& devices_;
  FaultInjector& faults_;
};

}  // namespace os::sim
