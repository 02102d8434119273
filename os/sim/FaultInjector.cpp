#include "os/sim/FaultInjector.h"

#include <algorithm>

#include "os/sim/CaseInsensitive.h"

namespace os::sim {

const char* callName(Call call) {
  switch (call) {
    case Call::CreateFile: return "CreateFileA";
    case Call::ReadFile: return "ReadFile";
    case Call::WriteFile: return "WriteFile";
    case Call::DeviceIoControl: return "DeviceIoControl";
    case Call::CreateFileMapping: return "CreateFileMappingA";
    case Call::MapViewOfFile: return "MapViewOfFile";
    case Call::SetupDiGetClassDevs: return "SetupDiGetClassDevsA";
    case Call::RegOpenKey: return "RegOpenKeyExA";
    case Call::RegQueryValue: return "RegQueryValueExA";
    case Call::OpenPrinter: return "OpenPrinterA";
    case Call::StartDocPrinter: return "StartDocPrinterA";
    case Call::StartPagePrinter: return "StartPagePrinter";
    case Call::WritePrinter: return "WritePrinter";
    case Call::EndPagePrinter: return "EndPagePrinter";
    case Call::EndDocPrinter: return "EndDocPrinter";
    case Call::ClosePrinter: return "ClosePrinter";
    case Call::GetJob: return "GetJobA";
    case Call::GetPrinter: return "GetPrinterA";
  }
  return "?";
}

FaultRule& FaultRule::path(std::string text) {
  path_ = std::move(text);
  return *this;
}

FaultRule& FaultRule::code(DWORD ioControlCode) {
  code_ = ioControlCode;
  return *this;
}

FaultRule& FaultRule::nth(unsigned n) {
  nth_ = std::max(n, 1u);
  fromNth_ = false;
  return *this;
}

FaultRule& FaultRule::fromNth(unsigned n) {
  nth_ = std::max(n, 1u);
  fromNth_ = true;
  return *this;
}

FaultRule& FaultRule::fail(DWORD error) {
  fault_ = {Fault::Kind::Fail, error, 0, 0};
  return *this;
}

FaultRule& FaultRule::neverComplete() {
  fault_ = {Fault::Kind::NeverComplete, 0, 0, 0};
  return *this;
}

FaultRule& FaultRule::delay(Tick milliseconds) {
  fault_ = {Fault::Kind::Delay, 0, milliseconds, 0};
  return *this;
}

FaultRule& FaultRule::truncate(DWORD bytes) {
  fault_ = {Fault::Kind::Truncate, 0, 0, bytes};
  return *this;
}

FaultRule& FaultRule::vanish() {
  fault_ = {Fault::Kind::Vanish, ERROR_DEVICE_NOT_CONNECTED, 0, 0};
  return *this;
}

bool FaultRule::matches(Call call, std::string_view path, DWORD code) const {
  if (call != call_) return false;
  if (code_ && *code_ != code) return false;
  return path_.empty() || containsIgnoringCase(path, path_);
}

std::optional<Fault> FaultRule::check(Call call, std::string_view path, DWORD code) {
  if (!matches(call, path, code)) return std::nullopt;
  ++seen_;
  bool fires = fromNth_ ? seen_ >= nth_ : seen_ == nth_;
  if (!fires) return std::nullopt;
  ++hits_;
  return fault_;
}

FaultRule& FaultInjector::on(Call call) { return rules_.emplace_back(call); }

std::optional<Fault> FaultInjector::check(Call call, std::string_view path, DWORD code) {
  std::optional<Fault> chosen;
  for (FaultRule& rule : rules_) {
    std::optional<Fault> fault = rule.check(call, path, code);
    if (fault && !chosen) chosen = fault;
  }
  if (!counting_) return chosen;
  counted_.push_back({call, std::string(path), code});
  if (!chosen && counted_.size() == position_ && faultFor_) chosen = faultFor_(counted_.back());
  return chosen;
}

void FaultInjector::startCounting(
    unsigned position, std::function<std::optional<Fault>(const CheckedCall&)> faultFor) {
  counting_ = true;
  counted_.clear();
  position_ = position;
  faultFor_ = std::move(faultFor);
}

}  // namespace os::sim
