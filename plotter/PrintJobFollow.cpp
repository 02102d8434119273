#include "plotter/PrintJobFollow.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "os/Handles.h"
#include "plotter/PrintJobs.h"
#include "prompt/Progress.h"

namespace plotter {
namespace {

// A job with one of these has left the queue: printed, handed to the port whole, or deleted.
constexpr DWORD kLeftQueue =
    JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE | JOB_STATUS_DELETED | JOB_STATUS_DELETING;
// A job with one of these will not print until someone sees to it.
constexpr DWORD kJobInError = JOB_STATUS_ERROR | JOB_STATUS_PAPEROUT |
                              JOB_STATUS_USER_INTERVENTION | JOB_STATUS_BLOCKED_DEVQ;
// Each SpoolerState, in its order: the word for scripts and the words for the technician.
struct StateWords {
  const char* name;
  const char* text;
};
constexpr StateWords kStateWords[] = {
    {"paused", "the queue is paused"},
    {"offline", "the printer is offline"},
    {"error", "the printer reports an error"},
    {"job-error", "a print job is in error"},
    {"job-paused", "a print job is paused"},
    {"timed-out", "a print job is still waiting after 60 s"},
    {"no-answer", "the spooler does not say where the jobs are"},
};
static_assert(std::size(kStateWords) == static_cast<size_t>(SpoolerState::NoAnswer) + 1);
static_assert(kJobWaitLimit == 60000, "the timed-out text says 60 s");
// A spooler answer whose size keeps growing between the two calls is asked this often at most.
constexpr int kSizeQueries = 3;

// The queue being followed: its printer handle, the buffer the spooler answers in (kept from
// one question to the next, so that a poll usually takes one call), whether the wait is shown.
struct FollowedQueue {
  std::string name;
  os::UniquePrinter printer;
  std::vector<BYTE> buffer;
  bool waitShown = false;

  SpoolerFault fault(SpoolerState state, DWORD error = 0) const { return {name, state, error}; }
};

// A spooler Get call (get(buffer, size, &needed)) made the documented two-call way: the size,
// then the answer in a buffer of that size. The structure copied out (its strings point into
// the buffer); none with the last error as the call left it.
template <typename Info, typename Get>
std::optional<Info> askSpooler(const Get& get, std::vector<BYTE>& buffer) {
  for (int query = 0; query < kSizeQueries; ++query) {
    DWORD needed = 0;
    LPBYTE data = buffer.empty() ? nullptr : buffer.data();
    if (get(data, static_cast<DWORD>(buffer.size()), &needed) && buffer.size() >= sizeof(Info)) {
      Info info;
      std::memcpy(&info, data, sizeof info);
      return info;
    }
    if (os::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(Info)) break;
    buffer.resize(needed);
  }
  return std::nullopt;
}

// What holds a job in the queue, by the printer's and the job's status; none if nothing does.
std::optional<SpoolerState> heldBy(const PRINTER_INFO_2A& printer, DWORD jobStatus) {
  if (printer.Status & PRINTER_STATUS_PAUSED) return SpoolerState::Paused;
  if ((printer.Status & PRINTER_STATUS_OFFLINE) ||
      (printer.Attributes & PRINTER_ATTRIBUTE_WORK_OFFLINE) || (jobStatus & JOB_STATUS_OFFLINE)) {
    return SpoolerState::Offline;
  }
  if (printer.Status & PRINTER_STATUS_ERROR) return SpoolerState::Error;
  if (jobStatus & kJobInError) return SpoolerState::JobError;
  if (jobStatus & JOB_STATUS_PAUSED) return SpoolerState::JobPaused;
  return std::nullopt;
}

// One look at the job: *left when it has left the queue (or the spooler no longer knows it);
// else the fault that holds it there, if any.
std::optional<SpoolerFault> lookAtJob(FollowedQueue& queue, DWORD jobId, bool* left) {
  HANDLE printer = queue.printer.get();
  const std::optional<JOB_INFO_1A> job = askSpooler<JOB_INFO_1A>(
      [&](LPBYTE data, DWORD size, LPDWORD needed) {
        return os::GetJobA(printer, jobId, 1, data, size, needed);
      },
      queue.buffer);
  if (!job) {
    const DWORD error = os::GetLastError();
    *left = error == ERROR_INVALID_PARAMETER;
    if (*left) return std::nullopt;
    return queue.fault(SpoolerState::NoAnswer, error);
  }
  *left = (job->Status & kLeftQueue) != 0;
  if (*left) return std::nullopt;
  const DWORD jobStatus = job->Status;
  const std::optional<PRINTER_INFO_2A> info = askSpooler<PRINTER_INFO_2A>(
      [&](LPBYTE data, DWORD size, LPDWORD needed) {
        return os::GetPrinterA(printer, 2, data, size, needed);
      },
      queue.buffer);
  if (!info) return queue.fault(SpoolerState::NoAnswer, os::GetLastError());
  const std::optional<SpoolerState> state = heldBy(*info, jobStatus);
  if (state) return queue.fault(*state);
  return std::nullopt;
}

std::optional<SpoolerFault> followJob(FollowedQueue& queue, DWORD jobId) {
  const DWORD start = os::GetTickCount();
  for (;;) {
    bool left = false;
    if (std::optional<SpoolerFault> fault = lookAtJob(queue, jobId, &left)) return fault;
    if (left) return std::nullopt;
    if (os::GetTickCount() - start >= kJobWaitLimit) return queue.fault(SpoolerState::TimedOut);
    if (!queue.waitShown) prompt::reportStep(prompt::Step::WaitingForPrintQueue);
    queue.waitShown = true;
    os::Sleep(kJobPollInterval);
  }
}

}  // namespace

const char* spoolerStateName(SpoolerState state) {
  return kStateWords[static_cast<size_t>(state)].name;
}

std::string spoolerFaultText(const SpoolerFault& fault) {
  std::string text = std::string("Print queue \"") + fault.queue +
                     "\": " + kStateWords[static_cast<size_t>(fault.state)].text;
  if (fault.state != SpoolerState::NoAnswer) return text;
  char code[24];
  std::snprintf(code, sizeof code, " (error 0x%lx)", static_cast<unsigned long>(fault.error));
  return text + code;
}

std::optional<SpoolerFault> followPrintJobs(const char* queueName, std::span<const DWORD> jobIds) {
  if (jobIds.empty()) return std::nullopt;
  FollowedQueue queue{queueName ? queueName : "", openPrintQueue(queueName), {}, false};
  if (!queue.printer) return queue.fault(SpoolerState::NoAnswer, os::GetLastError());
  for (DWORD jobId : jobIds) {
    if (std::optional<SpoolerFault> fault = followJob(queue, jobId)) return fault;
  }
  return std::nullopt;
}

}  // namespace plotter
