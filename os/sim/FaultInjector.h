// Faults injected into the simulated machine's calls: a rule picks calls by kind, by path (file,
// device interface, print queue or registry key), by I/O control code and by occurrence, and
// says what happens to them instead of the normal outcome.
//
//   machine.faults().on(Call::ReadFile).path("PIPE02").nth(3).fail(ERROR_SEM_TIMEOUT);
//   machine.faults().on(Call::DeviceIoControl).code(IOCTL_X).fromNth(1).neverComplete();
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"

namespace os::sim {

// The calls faults can be injected into.
enum class Call {
  CreateFile,
  ReadFile,
  WriteFile,
  DeviceIoControl,
  CreateFileMapping,
  MapViewOfFile,
  SetupDiGetClassDevs,
  RegOpenKey,
  RegQueryValue,
  OpenPrinter,
  StartDocPrinter,
  StartPagePrinter,
  WritePrinter,
  EndPagePrinter,
  EndDocPrinter,
  ClosePrinter,  // the handle is closed all the same; only the result says failure
  GetJob,
  GetPrinter,
};

// The call's Windows name, for messages.
const char* callName(Call call);

struct Fault {
  enum class Kind {
    Fail,           // the call fails at once with `error`
    NeverComplete,  // an I/O request stays pending until cancelled (a time-out)
    Delay,          // an I/O request completes `delay` ms later than it would have
    Truncate,       // an I/O request or WritePrinter moves at most `bytes` bytes
    Vanish,         // the device behind the handle or path is unplugged first
  };
  Kind kind = Kind::Fail;
  DWORD error = ERROR_GEN_FAILURE;
  Tick delay = 0;
  DWORD bytes = 0;
};

class FaultRule {
 public:
  explicit FaultRule(Call call) : call_(call) {}

  // Which calls: those whose path contains `text` (without regard to case) ...
  FaultRule& path(std::string text);
  // ... DeviceIoControl calls with this code only ...
  FaultRule& code(DWORD ioControlCode);
  // ... the nth such call only (counted from 1; the default is the first) ...
  FaultRule& nth(unsigned n);
  // ... or every such call from the nth on.
  FaultRule& fromNth(unsigned n);

  // What happens to them.
  FaultRule& fail(DWORD error);
  FaultRule& neverComplete();
  FaultRule& delay(Tick milliseconds);
  FaultRule& truncate(DWORD bytes);
  FaultRule& vanish();

  // Counts the call if it matches; the fault if this occurrence is one the rule hits.
  std::optional<Fault> check(Call call, std::string_view path, DWORD code);
  // How many times the rule has fired.
  unsigned hits() const { return hits_; }

 private:
  bool matches(Call call, std::string_view path, DWORD code) const;

  Call call_;
  std::string path_;
  std::optional<DWORD> code_;
  unsigned nth_ = 1;
  bool fromNth_ = false;
  unsigned seen_ = 0;
  unsigned hits_ = 0;
  Fault fault_;
};

// One call that a fault could have been injected into, as a sweep counts them.
struct CheckedCall {
  Call call;
  std::string path;
  DWORD code;
};

class FaultInjector {
 public:
  // A new rule for calls of that kind; it fails the first one with ERROR_GEN_FAILURE unless
  // configured otherwise. The reference stays valid until clear().
  FaultRule& on(Call call);
  void clear() { rules_.clear(); }

  // Every rule counts the call; the first rule that fires decides the fault.
  std::optional<Fault> check(Call call, std::string_view path, DWORD code = 0);

  // For a sweep over every call of an operation: from here on the calls are numbered from 1
  // and kept in counted(); the call at the position given gets the fault faultFor chooses for
  // it, if any (unless a rule decides first). Position 0 faults nothing.
  void startCounting(unsigned position = 0,
                     std::function<std::optional<Fault>(const CheckedCall&)> faultFor = {});
  void stopCounting() { counting_ = false; }
  const std::vector<CheckedCall>& counted() const { return counted_; }

 private:
  std::deque<FaultRule> rules_;  // deque: references to rules stay valid as rules are added
  bool counting_ = false;
  std::vector<CheckedCall> counted_;
  unsigned position_ = 0;
  std::function<std::optional<Fault>(const CheckedCall&)> faultFor_;
};

}  // namespace os::sim
