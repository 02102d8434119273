#include "os/sim/IoManager.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "os/sim/Deadlock.h"
#include "os/sim/LastError.h"

namespace os::sim {
namespace {

constexpr ULONG_PTR kWin32StatusBase = 0xC0070000u;
// A driver's own statuses carry the customer bit; Windows hands them on as the error unchanged.
constexpr DWORD kCustomerBit = 0x20000000u;

DWORD accessNeeded(IoRequest::Kind kind) {
  switch (kind) {
    case IoRequest::Kind::Read: return GENERIC_READ;
    case IoRequest::Kind::Write: return GENERIC_WRITE;
    case IoRequest::Kind::Control: return 0;
  }
  return 0;
}

// A Delay moves the completion later; a Truncate on a control request cuts the byte count it
// reports (reads and writes are cut before they start).
void reshape(IoCompletion& completion, const Fault& fault, IoRequest::Kind kind) {
  if (fault.kind == Fault::Kind::Delay && completion.when != IoCompletion::When::Never) {
    completion.at = (completion.when == IoCompletion::When::At ? completion.at : 0) + fault.delay;
    completion.when = IoCompletion::When::At;
  }
  if (fault.kind == Fault::Kind::Truncate && kind == IoRequest::Kind::Control &&
      completion.finish) {
    completion.finish = [finish = std::move(completion.finish), cap = fault.bytes] {
      IoOutcome outcome = finish();
      outcome.bytes = std::min(outcome.bytes, cap);
      return outcome;
    };
  }
}

// How much later a device's request completes when devices always pend.
constexpr Tick kPendingDelay = 1;

ULONG_PTR statusFromError(DWORD error) {
  if (error & kCustomerBit) return error;
  return error == ERROR_SUCCESS ? 0 : kWin32StatusBase | (error & 0xFFFFu);
}

DWORD errorFromStatus(ULONG_PTR status) {
  if (status == 0) return ERROR_SUCCESS;
  if (status == STATUS_PENDING) return ERROR_IO_INCOMPLETE;
  if (status & kCustomerBit) return static_cast<DWORD>(status);
  if ((status & 0xFFFF0000u) == kWin32StatusBase) return static_cast<DWORD>(status & 0xFFFFu);
  return ERROR_MR_MID_NOT_FOUND;
}

BOOL result(const IoOperation& operation, LPDWORD count) {
  if (count) *count = operation.outcome.bytes;
  if (operation.outcome.error != ERROR_SUCCESS) return failWith(operation.outcome.error);
  return TRUE;
}

}  // namespace

BOOL IoManager::transfer(Call call, HANDLE handle, IoRequest request, LPDWORD count,
                         LPOVERLAPPED overlapped) {
  std::shared_ptr<FileObject> file = handles_.find<FileObject>(handle);
  if (!file) return failWith(ERROR_INVALID_HANDLE);
  if (count) *count = 0;
  if ((file->access() & accessNeeded(request.kind)) != accessNeeded(request.kind)) {
    return failWith(ERROR_ACCESS_DENIED);
  }
  std::shared_ptr<SimEvent> event;
  if (overlapped && overlapped->hEvent) {
    event = handles_.find<SimEvent>(overlapped->hEvent);
    if (!event) return failWith(ERROR_INVALID_HANDLE);
  }
  std::optional<Fault> fault = applyFault(call, *file, request);
  if (fault && fault->kind == Fault::Kind::Fail) return failWith(fault->error);
  IoCompletion completion = fault && fault->kind == Fault::Kind::NeverComplete
                                ? IoCompletion::never()
                                : file->submit(request, overlapped);
  if (fault) reshape(completion, *fault, request.kind);
  if (devicesAlwaysPend_ && file->device() && completion.when == IoCompletion::When::Now) {
    completion.when = IoCompletion::When::At;
    completion.at = kPendingDelay;
  }
  std::shared_ptr<IoOperation> operation = start(file, std::move(completion), overlapped, event);
  if (operation->done) return result(*operation, count);
  if (file->overlapped() && overlapped) return failWith(ERROR_IO_PENDING);
  wait([&] { return operation->done; }, std::nullopt, [&] {
    return std::string(callName(call)) + " on \"" + file->path() + "\" waits for a request";
  });
  return result(*operation, count);
}

bool IoManager::pendingModeFromEnvironment() {
  const char* mode = std::getenv("VELKOR_SIM_PENDING");
  return mode != nullptr && std::string_view(mode) == "1";
}

// Unplugs for a Vanish, cuts reads and writes for a Truncate; a fault the call cannot take
// otherwise (a Vanish on a host file) becomes a plain failure.
std::optional<Fault> IoManager::applyFault(Call call, FileObject& file, IoRequest& request) {
  std::optional<Fault> fault = faults_.check(call, file.path(), request.code);
  if (!fault) return fault;
  if (fault->kind == Fault::Kind::Vanish) {
    if (!file.device()) return Fault{Fault::Kind::Fail, fault->error, 0, 0};
    unplug_(*file.device());
  }
  if (fault->kind == Fault::Kind::Truncate) {
    if (request.kind == IoRequest::Kind::Read) {
      request.outputLength = std::min(request.outputLength, fault->bytes);
    }
    if (request.kind == IoRequest::Kind::Write) {
      request.inputLength = std::min(request.inputLength, fault->bytes);
    }
  }
  return fault;
}

std::shared_ptr<IoOperation> IoManager::start(const std::shared_ptr<FileObject>& file,
                                              IoCompletion completion, LPOVERLAPPED overlapped,
                                              std::shared_ptr<SimEvent> event) {
  auto operation = std::make_shared<IoOperation>();
  operation->file = file;
  operation->overlapped = overlapped;
  operation->event = std::move(event);
  operation->finish = std::move(completion.finish);
  if (overlapped) {
    overlapped->Internal = STATUS_PENDING;
    overlapped->InternalHigh = 0;
  }
  if (operation->event) operation->event->reset();
  file->setSignalled(false);
  if (completion.when == IoCompletion::When::Now) {
    finish(*operation);
    return operation;
  }
  file->pending().push_back(operation);
  if (completion.when == IoCompletion::When::Outside) {
    awaitOutside(operation, std::move(completion.outside));
  } else if (completion.when == IoCompletion::When::At) {
    std::weak_ptr<IoOperation> weak = operation;
    operation->timer = clock_.schedule(clock_.now() + completion.at, [this, weak] {
      if (auto running = weak.lock()) {
        running->timer.reset();
        finish(*running);
      }
    });
  }
  return operation;
}

// The outcome comes on the device's own thread and is posted to the clock, so that it completes
// the request inside a wait of the machine's thread, unless the program gave it up meanwhile.
void IoManager::awaitOutside(const std::shared_ptr<IoOperation>& operation,
                             std::shared_ptr<OutsideRequest> request) {
  operation->outside = request;
  clock_.expectOutside(+1);
  std::weak_ptr<IoOperation> weak = operation;
  request->attach([this, weak](OutsideRequest::Finish finishing) {
    clock_.post([this, weak, finishing = std::move(finishing)] {
      clock_.expectOutside(-1);
      std::shared_ptr<IoOperation> running = weak.lock();
      if (running && !running->done) complete(*running, finishing());
    });
  });
}

// The device's finishing function may itself end the request (by unplugging its device).
void IoManager::finish(IoOperation& operation) {
  IoOutcome outcome = operation.finish ? operation.finish() : IoOutcome{};
  complete(operation, outcome);
}

void IoManager::complete(IoOperation& operation, IoOutcome outcome) {
  if (operation.done) return;
  operation.done = true;
  operation.outcome = outcome;
  if (operation.timer) clock_.cancel(*operation.timer);
  operation.timer.reset();
  if (operation.outside && operation.outside->detach()) clock_.expectOutside(-1);
  operation.outside.reset();
  if (operation.overlapped) {
    operation.overlapped->Internal = statusFromError(outcome.error);
    operation.overlapped->InternalHigh = outcome.bytes;
  }
  if (operation.event) operation.event->set();
  if (std::shared_ptr<FileObject> file = operation.file.lock()) {
    file->setSignalled(true);
    std::erase_if(file->pending(), [&](const auto& p) { return p.get() == &operation; });
  }
}

BOOL IoManager::getOverlappedResult(HANDLE handle, LPOVERLAPPED overlapped, LPDWORD transferred,
                                    BOOL wait) {
  std::shared_ptr<FileObject> file = handles_.find<FileObject>(handle);
  if (!file) return failWith(ERROR_INVALID_HANDLE);
  if (!overlapped) return failWith(ERROR_INVALID_PARAMETER);
  if (overlapped->Internal == STATUS_PENDING) {
    if (!wait) return failWith(ERROR_IO_INCOMPLETE);
    this->wait([&] { return overlapped->Internal != STATUS_PENDING; }, std::nullopt, [&] {
      return "GetOverlappedResult on \"" + file->path() + "\" waits for a request";
    });
    // The wait was on the event (or the file): an auto-reset event is taken by it.
    auto event = overlapped->hEvent ? handles_.find<SimEvent>(overlapped->hEvent) : nullptr;
    if (event) event->consume();
  }
  if (transferred) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
  DWORD error = errorFromStatus(overlapped->Internal);
  return error == ERROR_SUCCESS ? TRUE : failWith(error);
}

BOOL IoManager::cancelIo(HANDLE handle) {
  std::shared_ptr<FileObject> file = handles_.find<FileObject>(handle);
  if (!file) return failWith(ERROR_INVALID_HANDLE);
  abortAll(*file, ERROR_OPERATION_ABORTED);
  return TRUE;
}

void IoManager::abortAll(FileObject& file, DWORD error) {
  std::vector<std::shared_ptr<IoOperation>> aborted = std::move(file.pending());
  file.pending().clear();
  for (const auto& operation : aborted) complete(*operation, {error, 0});
}

bool IoManager::wait(const std::function<bool()>& done, std::optional<Tick> deadline,
                     const std::function<std::string()>& describe) {
  try {
    return clock_.waitUntil(done, deadline, describe);
  } catch (const Deadlock&) {
    forgetAll();
    throw;
  }
}

void IoManager::forgetAll() {
  for (const auto& file : handles_.all<FileObject>()) {
    for (const auto& operation : file->pending()) {
      operation->done = true;
      if (operation->timer) clock_.cancel(*operation->timer);
    }
    file->pending().clear();
  }
}

}  // namespace os::sim
