// The simulated I/O manager: the Windows rules around every request on a file object.
//
// A request on a handle opened with FILE_FLAG_OVERLAPPED and given an OVERLAPPED completes at
// once (TRUE, or FALSE with its error) or returns FALSE with ERROR_IO_PENDING and completes
// later. Starting a request resets the OVERLAPPED's event and sets Internal to STATUS_PENDING;
// completing it sets Internal to the status, InternalHigh to the byte count and signals the
// event. Any other request blocks: the clock runs until it completes.
//
// OVERLAPPED.Internal holds NTSTATUS values as Windows does: STATUS_PENDING while running, 0 on
// success, and a failure's Win32 error in the form Windows gives such errors
// (0xC0070000 | error), so GetOverlappedResult reads the outcome from the OVERLAPPED alone.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "os/sim/FaultInjector.h"
#include "os/sim/FileObject.h"
#include "os/sim/HandleTable.h"
#include "os/sim/OutsideRequest.h"
#include "os/sim/SimEvent.h"
#include "os/sim/VirtualClock.h"

namespace os::sim {

struct IoOperation {
  std::weak_ptr<FileObject> file;
  OVERLAPPED* overlapped = nullptr;  // null for a blocking request without one
  std::shared_ptr<SimEvent> event;   // the OVERLAPPED's event, held even if its handle closes
  std::function<IoOutcome()> finish;
  std::optional<VirtualClock::Timer> timer;
  std::shared_ptr<OutsideRequest> outside;  // a request a device outside the machine ends
  bool done = false;
  IoOutcome outcome;
};

class IoManager {
 public:
  using Unplug = std::function<void(const SimDevice&)>;
  IoManager(HandleTable& handles, VirtualClock& clock, FaultInjector& faults, Unplug unplug)
      : handles_(handles), clock_(clock), faults_(faults), unplug_(std::move(unplug)) {}

  // When on, no request to a device completes at once: each pends and completes a moment
  // later, as requests to a real driver do. Starts on when the environment sets
  // VELKOR_SIM_PENDING to 1, so that a whole test suite can run so.
  void setDevicesAlwaysPend(bool on) { devicesAlwaysPend_ = on; }

  // ReadFile, WriteFile and DeviceIoControl: one request on the handle's file object.
  BOOL transfer(Call call, HANDLE handle, IoRequest request, LPDWORD count,
                LPOVERLAPPED overlapped);
  BOOL getOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                           BOOL wait);
  BOOL cancelIo(HANDLE handle);
  // Ends every pending request of the file with error (CancelIo, CloseHandle, unplug).
  void abortAll(FileObject& file, DWORD error);

  // Every wait of the machine goes through here. A Deadlock leaves the machine with nothing
  // pending, so that unwinding the program (closing handles whose OVERLAPPEDs are gone) writes
  // to no memory of the program.
  bool wait(const std::function<bool()>& done, std::optional<Tick> deadline,
            const std::function<std::string()>& describe);

 private:
  std::optional<Fault> applyFault(Call call, FileObject& file, IoRequest& request);
  std::shared_ptr<IoOperation> start(const std::shared_ptr<FileObject>& file,
                                     IoCompletion completion, LPOVERLAPPED overlapped,
                                     std::shared_ptr<SimEvent> event);
  void finish(IoOperation& operation);
  void awaitOutside(const std::shared_ptr<IoOperation>& operation,
                    std::shared_ptr<OutsideRequest> request);
  void complete(IoOperation& operation, IoOutcome outcome);
  void forgetAll();

  HandleTable& handles_;
  VirtualClock& clock_;
  FaultInjector& faults_;
  Unplug unplug_;
  bool devicesAlwaysPend_ = pendingModeFromEnvironment();
  static bool pendingModeFromEnvironment();
};

}  // namespace os::sim
