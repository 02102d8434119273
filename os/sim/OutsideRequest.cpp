#include "os/sim/OutsideRequest.h"

namespace os::sim {

void OutsideRequest::end(Finish finish) {
  std::unique_lock lock(mutex_);
  if (ended_ || detached_) return;
  ended_ = true;
  if (!deliver_) {
    early_ = std::move(finish);
    return;
  }
  Deliver deliver = deliver_;
  lock.unlock();
  deliver(std::move(finish));
}

void OutsideRequest::attach(Deliver deliver) {
  std::unique_lock lock(mutex_);
  deliver_ = std::move(deliver);
  if (!early_) return;
  Finish finish = std::move(*early_);
  early_.reset();
  Deliver now = deliver_;
  lock.unlock();
  now(std::move(finish));
}

bool OutsideRequest::detach() {
  {
    std::lock_guard lock(mutex_);
    detached_ = true;
    deliver_ = nullptr;
    if (ended_) return false;
  }
  if (cancel_) cancel_();
  return true;
}

}  // namespace os::sim
