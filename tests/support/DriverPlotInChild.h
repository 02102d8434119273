// A plot file sent to the vendor-driver plotter of a world of its own, in a process of its own
// (a fork of the caller), so that what the send costs in memory shows in that process's peaks
// and nowhere else. POSIX hosts only.
#pragma once

#include <cstdint>

namespace velkor::test {

struct DriverPlotPeaks {
  bool reported = false;  // the child ran to its end and said how it went
  int result = -1;        // plotFile's
  uint64_t received = 0;  // the bytes the plotter counted of its last plot
  uint32_t checksum = 0;  // their checksum (sim::WordChecksum)
  // In KiB: resident when the child began (what it has of the caller), its peak resident
  // (ru_maxrss, which counts from that start) and its peak address space (VmPeak).
  long startResidentKiB = -1;
  long peakResidentKiB = -1;
  long peakAddressSpaceKiB = -1;
};

// Forks; the child builds a world of one vendor-driver plotter, discovers it, selects it and
// sends the file with plotter::plotFile, then reports. Waits for the child.
DriverPlotPeaks plotOnDriverInChild(const char* path);

}  // namespace velkor::test
