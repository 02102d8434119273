// A plot file far larger than a 32-bit process could map at once, sent to a vendor-driver
// plotter: it arrives whole and in place while the sending process stays small, since the
// transfer maps one window of the file at a time. Sparse files of zeros keep it fast.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/support/DriverPlotInChild.h"
#include "tests/support/SparsePlotFile.h"

namespace velkor::test {
namespace {

// The largest file the size field of a file request can carry.
constexpr uint64_t kLargestPlot = 0xFFFFFFFFu;
constexpr long kResidentLimitKiB = 256 * 1024;

TEST(BigPlot, TheLargestPlotGoesThroughTheVendorDriverInLittleMemory) {
  const SparsePlotFile file(kLargestPlot);
  ASSERT_TRUE(file.made());
  const DriverPlotPeaks peaks = plotOnDriverInChild(file.path());
  ASSERT_TRUE(peaks.reported) << "the sending process ended early";
  EXPECT_EQ(peaks.result, 0);
  EXPECT_EQ(peaks.received, kLargestPlot);
  EXPECT_EQ(peaks.checksum, file.checksum());
  EXPECT_LT(peaks.peakResidentKiB, kResidentLimitKiB)
      << "started at " << peaks.startResidentKiB << " KiB";
}

}  // namespace
}  // namespace velkor::test
