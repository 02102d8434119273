// An event object: manual-reset (stays signalled until reset) or auto-reset (the wait that
// sees it signalled resets it).
#pragma once

#include "os/sim/Waitable.h"

namespace os::sim {

class SimEvent : public Waitable {
 public:
  SimEvent(bool manualReset, bool initialState)
      : Waitable(Closer::CloseHandle), manualReset_(manualReset), signalled_(initialState) {}

  void set() { signalled_ = true; }
  void reset() { signalled_ = false; }
  bool signalled() const override { return signalled_; }
  void consume() override {
    if (!manualReset_) signalled_ = false;
  }

 private:
  bool manualReset_;
  bool signalled_;
};

}  // namespace os::sim
