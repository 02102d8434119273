// A plot file through the vendor-driver route (plotFile to the plotter of a world, down through
// the transfer channel to the simulated driver), a 16 MiB and a 3 GiB file each in a process of
// its own: their peak resident memory and peak address space side by side. The transfer maps
// one window of the file at a time, so neither peak should follow the file's size; a transfer
// that mapped the whole file would need 3 GiB more address space, more than a 32-bit process has.
// The files are sparse (zeros but for a few marks), so the 3 GiB take no disk.
//
//   build/linux/bench/bench_plot_memory
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "tests/support/DriverPlotInChild.h"
#include "tests/support/SparsePlotFile.h"

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
// Growth from the small file to the large one that still counts as flat.
constexpr long kFlatKiB = 64 * 1024;

double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

struct Row {
  uint64_t size;
  velkor::test::DriverPlotPeaks peaks;
  double seconds;
  bool whole;  // the plotter counted every byte, with the right checksum
};

Row measure(uint64_t size) {
  const velkor::test::SparsePlotFile file(size);
  const auto start = std::chrono::steady_clock::now();
  const velkor::test::DriverPlotPeaks peaks = velkor::test::plotOnDriverInChild(file.path());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const bool whole = file.made() && peaks.reported && peaks.result == 0 && peaks.received == size &&
                     peaks.checksum == file.checksum();
  return {size, peaks, took.count(), whole};
}

void print(const Row& row) {
  std::printf(
      "%6llu MiB file: peak resident %7.1f MiB (%5.1f at start), peak address space "
      "%7.1f MiB, %6.2f s, %7.0f MB/s%s\n",
      static_cast<unsigned long long>(row.size / kMiB), mib(row.peaks.peakResidentKiB),
      mib(row.peaks.startResidentKiB), mib(row.peaks.peakAddressSpaceKiB), row.seconds,
      static_cast<double>(row.size) / 1e6 / row.seconds,
      row.whole ? "" : "  (the plot did not arrive whole)");
}

}  // namespace

int main() {
  const Row small = measure(16 * kMiB);
  const Row large = measure(3 * 1024 * kMiB);
  print(small);
  print(large);
  const long resident = large.peaks.peakResidentKiB - small.peaks.peakResidentKiB;
  const long addressSpace = large.peaks.peakAddressSpaceKiB - small.peaks.peakAddressSpaceKiB;
  const bool flat = small.whole && large.whole && resident < kFlatKiB && addressSpace < kFlatKiB;
  std::printf("from 16 MiB to 3 GiB: peak resident %+.1f MiB, peak address space %+.1f MiB: %s\n",
              mib(resident), mib(addressSpace),
              flat ? "flat" : "NOT flat: the transfer holds more of the file than a window");
  return 0;
}
