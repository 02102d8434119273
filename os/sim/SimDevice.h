// What a virtual device plugs into the simulated machine.
//
// A device registers its device interfaces (a class GUID and a path) with the machine. Opening
// an interface path, or a path below it ("<path>\129", "<path>\PIPE02"), asks the device for an
// endpoint; every ReadFile, WriteFile and DeviceIoControl on that handle becomes one IoRequest
// to the endpoint, which says when and how it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "os/Win32.h"

namespace os::sim {

class OutsideRequest;

// Virtual time in milliseconds since the machine started.
using Tick = uint64_t;

struct IoRequest {
  enum class Kind { Read, Write, Control };
  Kind kind = Kind::Read;
  DWORD code = 0;              // Control: the I/O control code
  const BYTE* input = nullptr;  // Write: the data; Control: the input buffer
  DWORD inputLength = 0;
  BYTE* output = nullptr;  // Read: the buffer; Control: the output buffer
  DWORD outputLength = 0;
};

// How a request ended: ERROR_SUCCESS or a Windows error code, and the byte count.
struct IoOutcome {
  DWORD error = ERROR_SUCCESS;
  DWORD bytes = 0;
};

// When a request ends. The finishing function runs at that virtual instant (and may then fill
// the request's output buffer, which the caller keeps valid until completion).
struct IoCompletion {
  enum class When { Now, At, Never, Outside };
  When when = When::Now;
  Tick at = 0;  // When::At: the delay after the request was submitted
  std::function<IoOutcome()> finish;
  std::shared_ptr<OutsideRequest> outside;  // When::Outside: ended from outside the machine

  static IoCompletion now(IoOutcome outcome) {
    return {When::Now, 0, [outcome] { return outcome; }, nullptr};
  }
  static IoCompletion after(Tick delay, std::function<IoOutcome()> finish) {
    return {When::At, delay, std::move(finish), nullptr};
  }
  // Pending until cancelled (CancelIo, CloseHandle) or until the device goes away.
  static IoCompletion never() { return {When::Never, 0, nullptr, nullptr}; }
  // Ended by a device outside the machine, on a thread of its own (OutsideRequest.h).
  static IoCompletion outsideBy(std::shared_ptr<OutsideRequest> request) {
    return {When::Outside, 0, nullptr, std::move(request)};
  }
};

// One open file object of a device: the device itself or a pipe below it.
class DeviceEndpoint {
 public:
  virtual ~DeviceEndpoint() = default;
  virtual IoCompletion submit(const IoRequest& request) = 0;
};

class SimDevice {
 public:
  virtual ~SimDevice() = default;
  // Opens the device (subPath empty) or a path below it, without the separating backslash.
  // Null when there is no such endpoint or the device refuses the open (CreateFileA then fails
  // with openFailure()).
  virtual std::unique_ptr<DeviceEndpoint> open(const std::string& subPath, DWORD access) = 0;
  // The error of an open that gave no endpoint: ERROR_FILE_NOT_FOUND unless the device refuses
  // opens for a reason of its own (held by another program, access denied).
  virtual DWORD openFailure() const { return ERROR_FILE_NOT_FOUND; }
};

}  // namespace os::sim
