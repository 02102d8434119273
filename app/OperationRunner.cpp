#include "app/OperationRunner.h"

namespace app {

OperationRunner::OperationRunner(OperationHost& host)
    : host_(host), frontEnd_(std::this_thread::get_id()) {}

void OperationRunner::run(const std::function<void()>& operation) {
  {
    std::lock_guard lock(mutex_);
    busy_ = running_ = true;
  }
  std::thread worker([this, &operation] {
    operation();
    {
      std::lock_guard lock(mutex_);
      running_ = false;
    }
    host_.wake();
  });
  for (;;) {
    runCalls();
    {
      std::lock_guard lock(mutex_);
      if (!running_) break;
    }
    host_.pump();
  }
  worker.join();
  std::lock_guard lock(mutex_);
  busy_ = false;
}

bool OperationRunner::busy() const {
  std::lock_guard lock(mutex_);
  return busy_;
}

void OperationRunner::call(const std::function<void()>& work) {
  if (std::this_thread::get_id() == frontEnd_) {
    work();
    return;
  }
  Call call{&work};
  std::unique_lock lock(mutex_);
  calls_.push_back(&call);
  lock.unlock();
  host_.wake();
  lock.lock();
  ran_.wait(lock, [&call] { return call.done; });
}

// A call may open a modal box whose own loop comes back here: each call is taken off the queue
// before it runs, and the worker that made it waits, so the nested round finds nothing to run.
void OperationRunner::runCalls() {
  for (;;) {
    Call* call = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (calls_.empty()) return;
      call = calls_.front();
      calls_.pop_front();
    }
    (*call->work)();
    std::lock_guard lock(mutex_);
    call->done = true;
    ran_.notify_all();
  }
}

void OperationRunner::requestClose() {
  std::lock_guard lock(mutex_);
  closeRequested_ = true;
}

bool OperationRunner::closeRequested() const {
  std::lock_guard lock(mutex_);
  return closeRequested_;
}

}  // namespace app
