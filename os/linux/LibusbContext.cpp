#include "os/linux/LibusbContext.h"

#include "os/linux/LibusbError.h"

namespace os::linux_platform {

LibusbContext::LibusbContext(DWORD* error) {
  int result = libusb_init(&context_);
  if (error) *error = windowsErrorOf(result);
  if (result != LIBUSB_SUCCESS) {
    context_ = nullptr;
    return;
  }
  thread_ = std::thread([this] { handleEvents(); });
}

// Whoever submitted a transfer cancels it before the context goes; what is left is cancelled
// here, and the thread handles events until the last callback has run.
LibusbContext::~LibusbContext() {
  if (!context_) return;
  cancelAndWait();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  libusb_exit(context_);
}

void LibusbContext::transferStarted(libusb_transfer* transfer) {
  {
    std::lock_guard lock(mutex_);
    inFlight_.insert(transfer);
  }
  wake_.notify_all();
}

void LibusbContext::transferNotStarted(libusb_transfer* transfer) {
  {
    std::lock_guard lock(mutex_);
    inFlight_.erase(transfer);
  }
  wake_.notify_all();
}

// The transfer leaves the set in flight here, while libusb still owns it: once let go, its
// memory may come back at once as the next transfer, whose place in the set must stay.
void LibusbContext::transferEnded(libusb_transfer* transfer, std::shared_ptr<void> keep) {
  std::lock_guard lock(mutex_);
  inFlight_.erase(transfer);
  ended_.push_back(std::move(keep));
}

// On the event thread, outside libusb's event handling: the ended transfers are let go (which
// may close a device handle), and only then does a wait for them end.
void LibusbContext::letEndedGo() {
  std::vector<std::shared_ptr<void>> ended;
  {
    std::lock_guard lock(mutex_);
    ended.swap(ended_);
    releasing_ += ended.size();
  }
  const size_t count = ended.size();
  ended.clear();
  {
    std::lock_guard lock(mutex_);
    releasing_ -= count;
  }
  wake_.notify_all();
}

size_t LibusbContext::transfersInFlight() const {
  std::lock_guard lock(mutex_);
  return inFlight_.size() + ended_.size() + releasing_;
}

// libusb_cancel_transfer may be called from any thread; the callbacks run on the event thread.
void LibusbContext::cancelAndWait() {
  std::unique_lock lock(mutex_);
  for (libusb_transfer* transfer : inFlight_) libusb_cancel_transfer(transfer);
  wake_.wait(lock, [this] { return inFlight_.empty() && ended_.empty() && releasing_ == 0; });
}

void LibusbContext::handleEvents() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return !inFlight_.empty() || stopping_; });
    if (inFlight_.empty()) return;  // stopping, and nothing left to end
    lock.unlock();
    timeval slice{0, 100000};  // a stop or a new submission is seen within this
    libusb_handle_events_timeout_completed(context_, &slice, nullptr);
    letEndedGo();
    lock.lock();
  }
}

}  // namespace os::linux_platform
