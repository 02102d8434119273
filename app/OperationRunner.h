// An operation of the dialog (an update, a plot, a serial number, a refresh, a query) runs on a
// worker thread while the front end's thread keeps the dialog alive: it answers the system,
// repaints, drops the input that reaches the dialog, and notes a close asked for. Whatever the
// operation shows (the controls' texts, message boxes, questions) runs on the front end's thread
// through call(), while the worker waits; so the core runs on one thread at a time and the front
// end's windows are only ever touched by their own thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace app {

// What the front end does for an operation.
class OperationHost {
 public:
  virtual ~OperationHost() = default;
  // Any thread: the front end's thread is to run OperationRunner::runCalls() soon.
  virtual void wake() = 0;
  // The front end's thread, while an operation runs: waits for its events, at most until woken
  // or a short while has passed, and handles them: input to the dialog is dropped, a close is
  // noted (OperationRunner::requestClose).
  virtual void pump() = 0;
};

class OperationRunner {
 public:
  explicit OperationRunner(OperationHost& host);
  OperationRunner(const OperationRunner&) = delete;
  OperationRunner& operator=(const OperationRunner&) = delete;

  // The front end's thread: runs operation on a worker thread and returns once it has ended,
  // having pumped the front end's events and run the calls it made meanwhile.
  void run(const std::function<void()>& operation);
  // Whether an operation is running (on the front end's thread: whether run() is under way).
  bool busy() const;

  // Runs work on the front end's thread and returns once it has run: at once there, else
  // through runCalls() while the calling thread waits.
  void call(const std::function<void()>& work);
  // The front end's thread: runs the calls that wait.
  void runCalls();

  // A close asked for while an operation runs: the program closes once it has ended.
  void requestClose();
  bool closeRequested() const;

 private:
  struct Call {
    const std::function<void()>* work;
    bool done = false;
  };

  OperationHost& host_;
  const std::thread::id frontEnd_;
  mutable std::mutex mutex_;
  std::condition_variable ran_;
  std::deque<Call*> calls_;
  bool busy_ = false;
  bool running_ = false;  // the worker has not ended yet
  bool closeRequested_ = false;
};

}  // namespace app
