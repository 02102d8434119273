// Long runs of what a technician repeats all day: opening and closing the plotter link,
// refreshing the plotter list, asking a plotter after an update. Handles, mapped views and local
// blocks stay where they were; the figures are printed, with the process's resident memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>

#include "app/PlotterInfo.h"
#include "app/RefreshPlotterList.h"
#include "app/SendUpdate.h"
#include "discovery/PlotterRecord.h"
#include "os/Calls.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

constexpr int kCycles = 10000;
constexpr int kQueriesAfterUpdate = 1000;
constexpr int kClassic = 3;          // the default world's plotter behind a print queue
constexpr DWORD kPowerOnMs = 60000;  // longer than its shut-off and power-on-after

// The process's resident memory in KiB, where the system tells it (0 elsewhere).
long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

class Endurance : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    world_ = sim::World::fromText(sim::defaultWorldText(), "default", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    usb::initUsbLibrary();
    discovery::plotterList().selected = -1;
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::selectLinkPlace(0);
    platform_.reset();
  }

  struct Figures {
    std::size_t handles, views, blocks;
    long memory;
  };
  Figures figures() {
    os::sim::SimMachine& machine = world_->machine();
    return {machine.openHandleCount(), machine.mappedViewCount(), machine.localAllocationCount(),
            residentKiB()};
  }
  // The virtual plotters log every request for tests to read; emptied, so that what is measured
  // is the program's memory, not the log's.
  void clearPlotterLogs() {
    for (const auto& plotter : world_->plotters()) plotter->clearLogs();
  }
  void expectFlat(const char* what, const Figures& before, const Figures& after) {
    std::printf(
        "%-34s handles %zu -> %zu, views %zu -> %zu, blocks %zu -> %zu, "
        "resident %ld -> %ld KiB\n",
        what, before.handles, after.handles, before.views, after.views, before.blocks, after.blocks,
        before.memory, after.memory);
    EXPECT_EQ(after.handles, before.handles) << what;
    EXPECT_EQ(after.views, before.views) << what;
    EXPECT_EQ(after.blocks, before.blocks) << what;
  }

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
};

TEST_F(Endurance, TenThousandLinkCyclesAndDiscoveriesLeaveNothingBehind) {
  app::refreshPlotterList();
  plotter::closePlotterLink();
  Figures before = figures();
  int opened = 0;
  for (int i = 0; i < kCycles; ++i) {
    opened += plotter::openPlotterLink() == 0 ? 1 : 0;
    plotter::closePlotterLink();
    clearPlotterLogs();
  }
  EXPECT_EQ(opened, kCycles);
  expectFlat("10,000 link open/close cycles", before, figures());
  before = figures();
  for (int i = 0; i < kCycles; ++i) {
    app::refreshPlotterList();
    ASSERT_EQ(discovery::plotterList().count, 6) << "discovery " << i;
    clearPlotterLogs();
  }
  plotter::closePlotterLink();
  expectFlat("10,000 discoveries", before, figures());
}

TEST_F(Endurance, AThousandQueriesOfAnUpdatedPlotterLeaveNothingBehind) {
  TempFile file(".cas");
  const SampleFirmware sample = classicFirmware();
  ASSERT_TRUE(writeSampleFirmware(file.path(), sample));
  app::refreshPlotterList();
  discovery::plotterList().selected = kClassic;
  RecordingPrompter prompter;
  prompter.willAnswer(true);
  ASSERT_EQ(app::onSendUpdate(file.string(), prompter).result, 0);
  os::Sleep(kPowerOnMs);  // the plotter shuts itself off and comes back
  app::refreshPlotterList();
  discovery::plotterList().selected = kClassic;
  app::fillPlotterInfo(kClassic);
  plotter::closePlotterLink();
  plotter::removeTempFile();
  const Figures before = figures();
  for (int i = 0; i < kQueriesAfterUpdate; ++i) {
    ASSERT_EQ(app::queryField("6"), "1.20 A4") << "query " << i;
    clearPlotterLogs();
  }
  plotter::closePlotterLink();
  expectFlat("an update, then 1,000 queries", before, figures());
}

}  // namespace
}  // namespace velkor::test
