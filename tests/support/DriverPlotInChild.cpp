#if !defined(_WIN32)

#include "tests/support/DriverPlotInChild.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "sim/World.h"
#include "tests/support/ProcessStatus.h"
#include "usb/UsbApi.h"

namespace velkor::test {
namespace {

constexpr const char* kWorld = "[plotter Big]\nconnection = driver\ninstance = VK0000001\n";

// The send, in the child.
DriverPlotPeaks plotOnDriver(const char* path) {
  DriverPlotPeaks peaks;
  peaks.startResidentKiB = processStatusKiB("VmRSS");
  std::string error;
  std::unique_ptr<sim::World> world = sim::World::fromText(kWorld, "plot.world", &error);
  if (!world) return peaks;
  {
    os::ScopedPlatform use(world->machine());
    usb::initUsbLibrary();
    discovery::discoverPlotters();
    discovery::plotterList().selected = 0;
    peaks.result = plotter::plotFile(path).result;
    plotter::closePlotterLink();
  }
  const std::vector<sim::PlotRecord>& plots = world->plotter("Big")->plots();
  if (!plots.empty()) {
    peaks.received = plots.back().bytes;
    peaks.checksum = plots.back().checksum;
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  peaks.peakResidentKiB = usage.ru_maxrss;
  peaks.peakAddressSpaceKiB = processStatusKiB("VmPeak");
  peaks.reported = true;
  return peaks;
}

}  // namespace

DriverPlotPeaks plotOnDriverInChild(const char* path) {
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const DriverPlotPeaks peaks = plotOnDriver(path);
    const bool written = write(channel[1], &peaks, sizeof peaks) == sizeof peaks;
    _exit(written ? 0 : 1);  // nothing of the caller's runs in the child after this
  }
  close(channel[1]);
  DriverPlotPeaks peaks;
  const bool read =
      child > 0 && ::read(channel[0], &peaks, sizeof peaks) == static_cast<ssize_t>(sizeof peaks);
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return read ? peaks : DriverPlotPeaks{};
}

}  // namespace velkor::test

#endif  // !_WIN32
