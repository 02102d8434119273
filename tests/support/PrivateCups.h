// A CUPS scheduler of the test's own: cupsd in the foreground with its configuration, spool,
// state and logs in a folder of the build tree, listening on a free loopback port, and no
// systemd. CUPS_SERVER points this process's CUPS clients at it. Raw queues print through a
// backend of ours (tests/cups/velkor-plotter-backend) that leaves each job's bytes in a
// folder per queue; a watcher hands them, in order, to the test.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <set>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkor::test {

// A job as the backend received it: the queue's plotter folder name, the job's title, its bytes.
struct ReceivedJob {
  std::string queue;
  std::string title;
  std::string bytes;
};
using JobSink = std::function<void(const ReceivedJob& job)>;

class PrivateCups {
 public:
  // A running scheduler rooted in folder (made anew), or null with *why saying why not (cupsd
  // not installed, a tool missing, the scheduler not answering).
  static std::unique_ptr<PrivateCups> start(const std::string& folder, const std::string& backend,
                                            std::string* why);
  ~PrivateCups();
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  // "127.0.0.1:port", as CUPS_SERVER holds it.
  const std::string& server() const { return server_; }

  // Stops the scheduler (by its process ID, waiting for it) and starts it again on the same
  // port, with the queues it had.
  bool stopScheduler();
  bool startScheduler();

  // A raw queue whose jobs reach the watcher; present false: its plotter is not there, and
  // the backend fails.
  bool addRawQueue(const std::string& name, bool present = true);
  // A raw queue on a USB printer's URI (usb://Maker/Model?serial=S) whose jobs reach the
  // watcher as those of the queue "usb-S".
  bool addUsbQueue(const std::string& name, const std::string& uri, const std::string& serial);
  // cupsdisable / cupsenable / lpadmin and the like, against this scheduler; true on exit 0.
  bool runTool(const std::string& tool, const std::vector<std::string>& args);

  // Hands every job the backend completes to sink, in the order CUPS numbered them.
  void watchJobs(JobSink sink);
  // Waits (up to timeoutMs) until count jobs have been handed over.
  bool waitForJobs(size_t count, int timeoutMs);

 private:
  PrivateCups() = default;
  bool writeConfiguration(const std::string& backend);
  bool launch();
  void watch();

  std::string folder_;
  std::string server_;
  int port_ = 0;
  pid_t pid_ = -1;
  std::mutex mutex_;
  JobSink sink_;
  std::set<std::string> handed_;  // the job files handed over
  size_t handedCount_ = 0;
  std::atomic<bool> stopWatching_{false};
  std::thread watcher_;
};

}  // namespace velkor::test
