// Owners for the raw handles of the platform: each closes what it holds when it goes, so that
// every early return of a function closes what the function opened.
#pragma once

#include <utility>

#include "os/Calls.h"

namespace os {

// One owner template; Traits says what an empty value is and how to close a held one.
template <typename Traits>
class UniqueOwner {
 public:
  using Value = typename Traits::Value;
  UniqueOwner() = default;
  explicit UniqueOwner(Value value) : value_(value) {}
  ~UniqueOwner() { reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  Value get() const { return value_; }
  bool valid() const { return Traits::valid(value_); }
  explicit operator bool() const { return valid(); }
  // Hands the value over without closing it.
  Value release() { return std::exchange(value_, Traits::empty()); }
  void reset(Value value = Traits::empty()) {
    Value old = std::exchange(value_, value);
    if (Traits::valid(old)) Traits::close(old);
  }

 private:
  Value value_ = Traits::empty();
};

// File, device, event and printer handles: INVALID_HANDLE_VALUE and null both mean none.
struct HandleTraits {
  using Value = HANDLE;
  static Value empty() { return INVALID_HANDLE_VALUE; }
  static bool valid(Value v) { return v != INVALID_HANDLE_VALUE && v != nullptr; }
  static void close(Value v) { os::CloseHandle(v); }
};
using UniqueHandle = UniqueOwner<HandleTraits>;

struct RegKeyTraits {
  using Value = HKEY;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { os::RegCloseKey(v); }
};
using UniqueRegKey = UniqueOwner<RegKeyTraits>;

struct DevInfoTraits {
  using Value = HDEVINFO;
  static Value empty() { return INVALID_HANDLE_VALUE; }
  static bool valid(Value v) { return v != INVALID_HANDLE_VALUE && v != nullptr; }
  static void close(Value v) { os::SetupDiDestroyDeviceInfoList(v); }
};
using UniqueDevInfo = UniqueOwner<DevInfoTraits>;

struct MappedViewTraits {
  using Value = LPVOID;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr; }
  static void close(Value v) { os::UnmapViewOfFile(v); }
};
using UniqueMappedView = UniqueOwner<MappedViewTraits>;

struct PrinterTraits {
  using Value = HANDLE;
  static Value empty() { return nullptr; }
  static bool valid(Value v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
  static void close(Value v) { os::ClosePrinter(v); }
};
using UniquePrinter = UniqueOwner<PrinterTraits>;

}  // namespace os
