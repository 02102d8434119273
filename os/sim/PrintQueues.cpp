#include "os/sim/PrintQueues.h"

#include <algorithm>

#include "os/sim/CaseInsensitive.h"

namespace os::sim {

void PrintQueues::add(PrintJob job, std::string port, std::vector<BYTE> data) {
  job.ended = clock_.now();
  const DWORD id = job.id;
  const QueueSettings queue = settings(job.queue);
  jobs_.push_back(std::move(job));
  waiting_.push_back({jobs_.size() - 1, std::move(port), std::move(data)});
  if (queue.state != QueueState::Ready) return;
  if (queue.printDelay == 0) {
    reachPort(id);
  } else {
    clock_.schedule(clock_.now() + queue.printDelay, [this, id] { reachPort(id); });
  }
}

void PrintQueues::attachPort(const std::string& portName, PrintSink sink) {
  sinks_[upperCase(portName)] = std::move(sink);
}

void PrintQueues::configure(const std::string& queue, QueueSettings settings) {
  settings_[upperCase(queue)] = settings;
}

QueueSettings PrintQueues::settings(std::string_view queue) const {
  auto found = settings_.find(upperCase(queue));
  return found == settings_.end() ? QueueSettings{} : found->second;
}

std::vector<const PrintJob*> PrintQueues::waiting(std::string_view queue) const {
  std::vector<const PrintJob*> listed;
  for (const Waiting& each : waiting_) {
    const PrintJob& job = jobs_[each.record];
    if (equalsIgnoringCase(job.queue, queue)) listed.push_back(&job);
  }
  return listed;
}

void PrintQueues::reachPort(DWORD id) {
  auto found = std::find_if(waiting_.begin(), waiting_.end(),
                            [&](const Waiting& each) { return jobs_[each.record].id == id; });
  if (found == waiting_.end()) return;
  const Waiting leaving = std::move(*found);
  waiting_.erase(found);
  PrintJob& job = jobs_[leaving.record];
  job.printed = clock_.now();
  auto sink = sinks_.find(upperCase(leaving.port));
  if (equalsIgnoringCase(job.datatype, "RAW") && sink != sinks_.end())
    sink->second(job, leaving.data);
}

}  // namespace os::sim
