#include "sim/DriverLog.h"

#include <cstdio>

namespace sim {
namespace {

std::string hex(DWORD value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

std::string requestCode(const DriverEvent& event) {
  return event.bytes.empty() ? std::string("--") : hex(event.bytes[0], 2);
}

std::string lockToken(DWORD operation) {
  if (operation == 1) return "take";
  if (operation == 2) return "release";
  return "lock:" + std::to_string(operation);
}

// The summary token of an event; empty for setup requests.
std::string token(const DriverEvent& event) {
  using Kind = DriverEvent::Kind;
  switch (event.kind) {
    case Kind::Lock: return lockToken(event.value);
    case Kind::Request: return "request:" + requestCode(event);
    case Kind::RequestTimedOut: return "timeout:" + requestCode(event);
    case Kind::StatusRead: return event.value == 0 ? "status" : "status:" + hex(event.value, 4);
    case Kind::DataWritten: return "data:" + std::to_string(event.value);
    case Kind::ReplyRead: return "reply:" + std::to_string(event.value);
    case Kind::DeviceReset: return "reset";
    case Kind::PipeReset: return "reset-pipe";
    case Kind::PortCycled: return "cycle";
    case Kind::Abort: return "abort";
    case Kind::Vanished: return "vanished";
    case Kind::Setup: return {};
  }
  return {};
}

}  // namespace

std::string DriverLog::summary() const {
  std::string line;
  for (const DriverEvent& event : events_) {
    std::string next = token(event);
    if (next.empty()) continue;
    if (!line.empty()) line += ',';
    line += next;
  }
  return line;
}

}  // namespace sim
