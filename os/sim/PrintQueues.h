// The simulated spooler's queues in time. An ended job waits in its queue until its port takes
// it: on a ready queue the queue's print delay after it ended (at once for none), in the order
// the jobs ended; a paused, offline or failed queue keeps its jobs. The port's sink gets a RAW
// job as it leaves; every ended job stays in the record, with when it ended and when it left.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/PrintJob.h"
#include "os/sim/VirtualClock.h"

namespace os::sim {

class PrintQueues {
 public:
  explicit PrintQueues(VirtualClock& clock) : clock_(clock) {}
  PrintQueues(const PrintQueues&) = delete;
  PrintQueues& operator=(const PrintQueues&) = delete;

  // The ended job joins its queue, bound for port with its bytes.
  void add(PrintJob job, std::string port, std::vector<BYTE> data);
  void attachPort(const std::string& portName, PrintSink sink);
  // How the queue treats the jobs that end from now on.
  void configure(const std::string& queue, QueueSettings settings);
  QueueSettings settings(std::string_view queue) const;

  // Every ended job, in the order they ended.
  const std::vector<PrintJob>& jobs() const { return jobs_; }
  // The queue's jobs that have not left it, first in line first.
  std::vector<const PrintJob*> waiting(std::string_view queue) const;

 private:
  struct Waiting {
    size_t record;  // in jobs_
    std::string port;
    std::vector<BYTE> data;
  };
  void reachPort(DWORD id);

  VirtualClock& clock_;
  std::vector<PrintJob> jobs_;
  std::vector<Waiting> waiting_;                   // in the order they ended
  std::map<std::string, PrintSink> sinks_;         // by upper-cased port name
  std::map<std::string, QueueSettings> settings_;  // by upper-cased queue name
};

}  // namespace os::sim
