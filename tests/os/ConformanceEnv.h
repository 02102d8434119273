// The environments the platform conformance suite runs in: the simulated machine everywhere,
// and the real Windows platform on Windows. The suite is written only against the os:: calls,
// so each of its tests says one thing about Windows that the system relies on and that the
// simulated machine must do the same way.
#pragma once

#include <memory>
#include <string>

#include "os/Platform.h"

namespace conformance {

class Env {
 public:
  virtual ~Env() = default;
  virtual const char* name() const = 0;  // "sim" or "win32"
  virtual os::Platform& platform() = 0;
  // Writes registry content given as .reg text; every key lies below
  // HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest.
  virtual bool loadRegistry(const std::string& regText) = 0;
  virtual std::string scratchDirectory() = 0;  // empty directory for files, removed at the end
  virtual long openHandleCount() = 0;          // -1 where the platform cannot tell
  virtual bool simulated() const = 0;          // device/spooler fakes available only when true
};

std::unique_ptr<Env> makeSimEnv();
#ifdef _WIN32
// The real Windows platform; defined in Win32Env.cpp.
std::unique_ptr<Env> makeWin32Env();
#endif

}  // namespace conformance
