// Kernel objects a wait can be made on: events, and file objects (signalled when a request on
// them completes, as Windows signals a file handle).
#pragma once

#include "os/sim/HandleTable.h"

namespace os::sim {

class Waitable : public KernelObject {
 public:
  using KernelObject::KernelObject;
  virtual bool signalled() const = 0;
  // A wait has seen the object signalled (an auto-reset event resets here).
  virtual void consume() {}
};

}  // namespace os::sim
