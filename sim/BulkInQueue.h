// What a plotter has sent on a bulk IN pipe and the host has not read: USB transfers, not a
// byte stream. A read completes with the bytes of one transfer at most; a read shorter than the
// transfer overruns (the host controller reports babble), gets the bytes that fit, and the rest
// of that transfer is lost, as on real hardware.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"

namespace sim {

struct Misbehaviour;

// How a Windows USB stack reports a transfer longer than the read that received it.
inline constexpr DWORD kBulkInOverrunError = ERROR_IO_DEVICE;

class BulkInQueue {
 public:
  // A query's answer: a transfer with its 32-bit length (announced as the misbehaviour says,
  // cut to its header bytes), then one with its bytes unless it is empty; or, for a plotter told
  // to, the misbehaviour's own transfers instead.
  void queueReply(const std::string& reply, const Misbehaviour& misbehaviour);
  // The oldest transfer into the buffer, as a read of that length completes.
  os::sim::IoOutcome take(BYTE* buffer, DWORD length);
  bool empty() const { return transfers_.empty(); }
  void clear() { transfers_.clear(); }

 private:
  void push(std::vector<BYTE> transfer) { transfers_.push_back(std::move(transfer)); }

  std::deque<std::vector<BYTE>> transfers_;  // oldest first
};

}  // namespace sim
