// A critical section: re-entrant for the thread that holds it. Not part of the platform line
// (nothing about it needs simulating), so it wraps the host's own primitive directly.
#pragma once

#ifdef _WIN32
#include "os/Win32.h"
#else
#include <mutex>
#endif

namespace os {

class CriticalSection {
 public:
#ifdef _WIN32
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  void enter() { EnterCriticalSection(&section_); }
  void leave() { LeaveCriticalSection(&section_); }
#else
  CriticalSection() = default;
  void enter() { mutex_.lock(); }
  void leave() { mutex_.unlock(); }
#endif
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

 private:
#ifdef _WIN32
  CRITICAL_SECTION section_;
#else
  std::recursive_mutex mutex_;
#endif
};

// Holds a critical section for the lifetime of a scope.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : section_(section) { section_.enter(); }
  ~CriticalSectionLock() { section_.leave(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace os
