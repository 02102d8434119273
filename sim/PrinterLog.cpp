#include "sim/PrinterLog.h"

#include <cstdio>

namespace sim {
namespace {

// Bytes outside printable ASCII as \xHH, so that ESC and carriage returns show.
std::string shown(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != ',') {
      text += char(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02x", c);
      text += escape;
    }
  }
  return text;
}

// A vendor request's letters: its input bytes up to the first zero byte.
std::string letters(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

std::string token(const PrinterEvent& event) {
  using Kind = PrinterEvent::Kind;
  switch (event.kind) {
    case Kind::LptStatus: return "lpt";
    case Kind::LptStatusFailed: return "lpt-failed";
    case Kind::PipeWrite: return "write:" + shown(event.bytes);
    case Kind::PipeRead: return "read:" + std::to_string(event.value);
    case Kind::VendorGet: return "get:" + shown(letters(event.bytes));
    case Kind::VendorSet: return "set:" + shown(letters(event.bytes));
    case Kind::PrintJob: return "job:" + std::to_string(event.value);
    case Kind::Abort: return "abort";
    case Kind::Vanished: return "vanished";
  }
  return {};
}

}  // namespace

std::string PrinterLog::summary() const {
  std::string line;
  for (const PrinterEvent& event : events_) {
    if (!line.empty()) line += ',';
    if (event.refused) line += "refused:";
    line += token(event);
  }
  return line;
}

}  // namespace sim
