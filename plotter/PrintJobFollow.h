// Print jobs followed through the spooler until they have left their queue. The spooler takes a
// job at once; only a job that has left the queue (printed, or gone) has reached the plotter. A
// queue that holds its jobs (paused, its printer offline or in error, a job in error) or that
// keeps a job for a minute fails the send, with what the spooler reports.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>

#include "os/Win32.h"

namespace plotter {

// Why jobs did not leave their queue.
enum class SpoolerState {
  Paused,     // the queue is paused
  Offline,    // the printer is offline, or set to work offline
  Error,      // the printer reports an error
  JobError,   // a job is in error (out of paper, blocked, waiting for the user ...)
  JobPaused,  // a job is paused on its own
  TimedOut,   // a job stayed kJobWaitLimit ms in the queue
  NoAnswer,   // the spooler could not be asked
};

struct SpoolerFault {
  std::string queue;
  SpoolerState state = SpoolerState::Paused;
  DWORD error = 0;  // NoAnswer: the error of the spooler call that failed
};

// A send's result, and the spooler's report when its jobs did not leave their queue.
struct SendOutcome {
  SendOutcome(int code = 0, std::optional<SpoolerFault> held = std::nullopt)
      : result(code), spooler(std::move(held)) {}
  int result;
  std::optional<SpoolerFault> spooler;
};

// The state as one word for scripts: "paused", "offline", "error", "job-error", "job-paused",
// "timed-out" or "no-answer".
const char* spoolerStateName(SpoolerState state);
// The line a technician reads, e.g. Print queue "Velkor Classic": the queue is paused
std::string spoolerFaultText(const SpoolerFault& fault);

// How often the spooler is asked, and how long one job may stay in the queue (counted from when
// the job before it left).
inline constexpr DWORD kJobPollInterval = 100;
inline constexpr DWORD kJobWaitLimit = 60000;

// Waits until each job (as StartDocPrinterA numbered it) has left the queue, in order, asking the
// spooler every kJobPollInterval ms: none when they all did, else the fault that held one.
std::optional<SpoolerFault> followPrintJobs(const char* queueName, std::span<const DWORD> jobIds);

}  // namespace plotter
