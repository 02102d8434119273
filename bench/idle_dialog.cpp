// The CPU time an idle velkor dialog takes on the real Linux platform: the default world's
// plotters served through umockdev to the dialog, started in a terminal of its own (80 x 25),
// left alone, and its user and system time measured over a span of real time. The event
// handling of libusb must sleep while nothing is in flight, not poll.
//
//   LD_PRELOAD=libumockdev-preload.so.0 build/linux/bench/bench_idle_dialog VELKOR [SECONDS]
//
// with VELKOR build/linux/app/tui/velkor and SECONDS 10 unless given.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "sim/World.h"
#include "tests/support/UmockdevTestbed.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSettle = std::chrono::seconds(3);  // the dialog finds and queries the plotters
constexpr const char kFirstPlotter[] = "ZK200 A4";

// User plus system time of a process, in clock ticks; -1 when it cannot be read.
long cpuTicks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t afterName = text.rfind(')');
  if (afterName == std::string::npos) return -1;
  std::istringstream fields(text.substr(afterName + 2));
  std::string skip;
  for (int field = 3; field < 14; ++field) fields >> skip;  // state .. cmajflt
  long user = 0, system = 0;
  fields >> user >> system;
  return fields ? user + system : -1;
}

// Reads what the dialog draws, so that it never waits on a full terminal, until the time ends;
// what it drew is added to *drawn.
void drainUntil(int terminal, Clock::time_point end, std::string* drawn) {
  char buffer[4096];
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    pollfd watched{terminal, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
    if (poll(&watched, 1, int(left.count()) + 1) <= 0) continue;
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) return;
    drawn->append(buffer, size_t(got));
  }
}

pid_t startInTerminal(const char* program, int* terminal) {
  winsize size{};
  size.ws_row = 25;
  size.ws_col = 80;
  const pid_t child = forkpty(terminal, nullptr, nullptr, &size);
  if (child == 0) {
    unsetenv("VELKOR_WORLD");  // the real machine: the plotters the testbed serves
    setenv("TERM", "xterm", 1);
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s VELKOR [SECONDS]\n", argv[0]);
    return 2;
  }
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
  velkor::test::UmockdevTestbed bed;
  if (!bed.available()) {
    std::printf("skipped: %s\n", bed.skipReason().c_str());
    return 0;
  }
  std::string error;
  std::unique_ptr<sim::World> world = sim::World::named("default", &error);
  if (!world) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  bed.serve(*world);
  int terminal = -1;
  const pid_t dialog = startInTerminal(argv[1], &terminal);
  if (dialog < 0) {
    std::perror("forkpty");
    return 1;
  }
  std::string drawn;
  drainUntil(terminal, Clock::now() + kSettle, &drawn);
  const long before = cpuTicks(dialog);
  drainUntil(terminal, Clock::now() + std::chrono::seconds(seconds), &drawn);
  const long after = cpuTicks(dialog);
  const bool running = waitpid(dialog, nullptr, WNOHANG) == 0;
  kill(dialog, SIGTERM);
  drainUntil(terminal, Clock::now() + std::chrono::seconds(1), &drawn);
  waitpid(dialog, nullptr, 0);
  close(terminal);
  // The default world's first plotter in the dialog's list: the dialog ran on the plotters.
  if (!running || before < 0 || after < 0 || drawn.find(kFirstPlotter) == std::string::npos) {
    std::fprintf(stderr, "the dialog did not stay up with the plotters listed; it drew:\n%s\n",
                 drawn.c_str());
    return 1;
  }
  const double cpuSeconds = double(after - before) / double(sysconf(_SC_CLK_TCK));
  std::printf("idle velkor dialog over %d s: %.2f s of CPU, %.2f %%\n", seconds, cpuSeconds,
              100.0 * cpuSeconds / seconds);
  return 0;
}
