// The main dialog as the front ends run it: each operation on a worker thread, everything it
// shows carried out on the front end's thread, its progress on the status line, a close held
// until it has ended.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "app/LiveDialog.h"
#include "app/StatusProgress.h"
#include "app/dialogs/ControlIds.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "tests/app/RecordingView.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {
namespace {

constexpr int kClassicLine = 3;  // old firmware behind a print queue: the download state
constexpr int kPrinterLine = 4;

// A front end's thread that does nothing but wait to be woken; it may ask for a close once.
class WaitingHost : public app::OperationHost {
 public:
  void wake() override {
    std::lock_guard lock(mutex_);
    woken_ = true;
    wakes_.notify_all();
  }
  void pump() override {
    ++pumps;
    if (closeOnPump == pumps && live != nullptr) live->requestClose();
    std::unique_lock lock(mutex_);
    wakes_.wait_for(lock, std::chrono::milliseconds(50), [this] { return woken_; });
    woken_ = false;
  }

  app::LiveDialog* live = nullptr;
  int closeOnPump = 0;  // 0: never
  int pumps = 0;

 private:
  std::mutex mutex_;
  std::condition_variable wakes_;
  bool woken_ = false;
};

// Every status text in turn, and whether each call came on the front end's thread.
class ThreadCheckingView : public RecordingView {
 public:
  void setControlText(int controlId, std::string_view text) override {
    offThread += std::this_thread::get_id() != frontEnd;
    if (controlId == IDC_STATUS_LINE) statusTexts.emplace_back(text);
    RecordingView::setControlText(controlId, text);
  }
  std::thread::id frontEnd = std::this_thread::get_id();
  int offThread = 0;
  std::vector<std::string> statusTexts;

  bool showed(const std::string& start) const {
    for (const std::string& text : statusTexts) {
      if (text.rfind(start, 0) == 0) return true;
    }
    return false;
  }
};

class LiveDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    world_ = sim::World::fromText(sim::defaultWorldText(), "default.world", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    discovery::plotterList().selected = -1;
    live_.emplace(host_, state_, view_, prompter_);
    host_.live = &*live_;
    live_->dialog().onInitDialog();
    view_.setControlText(IDC_STATUS_LINE, "Velkor 2.3");
  }
  void TearDown() override {
    plotter::closePlotterLink();
    plotter::removeTempFile();
    platform_.reset();
  }
  void select(int line) {
    view_.selection = line;
    live_->command(IDC_PLOTTER_LIST, app::kSelectionChange);
  }

  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
  app::AppState state_;
  ThreadCheckingView view_;
  RecordingPrompter prompter_;
  WaitingHost host_;
  std::optional<app::LiveDialog> live_;
};

TEST_F(LiveDialogTest, AnUpdateRunsOffTheFrontEndsThreadAndShowsEachStepOnTheStatusLine) {
  TempFile firmware;
  ASSERT_TRUE(writeSampleFirmware(firmware.path(), classicFirmware()));
  state_.firmwarePath = firmware.string();
  select(kClassicLine);
  prompter_.willAnswer(true);
  std::thread::id ranOn;
  prompter_.onCall = [&](const PromptCall&) { ranOn = std::this_thread::get_id(); };
  EXPECT_TRUE(live_->command(IDC_SEND_UPDATE, app::kButtonClicked));
  EXPECT_FALSE(live_->busy());
  EXPECT_GT(host_.pumps, 0) << "the front end's thread waited for nothing";
  EXPECT_EQ(view_.offThread, 0) << "the view was used off the front end's thread";
  EXPECT_EQ(ranOn, view_.frontEnd) << "a box was shown off the front end's thread";
  ASSERT_EQ(prompter_.calls().size(), 2u);  // the question and the notice
  for (const char* step :
       {"Preparing the update ...", "Looking for plotters ...", "Converting the firmware",
        "Switching the plotter into its download state", "Waiting 4 s for the plotter",
        "Waiting for the plotter (1 of 8) ...", "Announcing the update", "Sending update: 0 KiB of",
        "Plotter update sent on  "}) {
    EXPECT_TRUE(view_.showed(step)) << step;
  }
  EXPECT_EQ(view_.statusTexts.back().rfind("Plotter update sent on  ", 0), 0u);
  EXPECT_EQ(world_->plotter("Classic")->lastUpdateOutcome(), "accepted PALL 1.20 A4");
}

TEST_F(LiveDialogTest, AfterAnythingButAnUpdateTheStatusLineSaysWhatItSaidBefore) {
  select(kPrinterLine);
  view_.setControlText(IDC_SERIAL_NUMBER, "523009197");
  live_->command(IDC_SEND_SERIAL_NUMBER, app::kButtonClicked);
  EXPECT_TRUE(view_.showed("Waiting 5 s for the plotter to store the serial number"));
  EXPECT_EQ(view_.text(IDC_STATUS_LINE), "Velkor 2.3");
  EXPECT_EQ(view_.text(IDC_SERIAL_NUMBER), "523009197") << "the plotter took the number";
  EXPECT_FALSE(live_->closeRequested());
}

TEST_F(LiveDialogTest, ACloseAskedForMeanwhileWaitsOnTheStatusLineUntilTheEnd) {
  select(kPrinterLine);
  host_.closeOnPump = host_.pumps + 1;
  live_->command(IDC_REFRESH, app::kButtonClicked);
  EXPECT_TRUE(live_->closeRequested());
  EXPECT_EQ(view_.text(IDC_STATUS_LINE), app::kCloseWaitsText) << "nothing wrote over it";
  EXPECT_EQ(view_.lines.size(), 6u) << "the refresh ran to its end";
}

TEST(StatusTexts, BytesAreCountedInKiBOrAboveTenMiBInMiBWithTheirShare) {
  EXPECT_EQ(app::sentText("Sending update", 640 * 1024, 2048 * 1024),
            "Sending update: 640 KiB of 2,048 KiB (31%)");
  EXPECT_EQ(app::sentText("Sending plot file", 1536ull << 20, 3072ull << 20),
            "Sending plot file: 1,536 MiB of 3,072 MiB (50%)");
  EXPECT_EQ(app::sentText("Sending plot file", 0, 0), "Sending plot file: 0 KiB of 0 KiB (100%)");
  EXPECT_EQ(app::sentText("Sending update", 100, 1000), "Sending update: 0 KiB of 1 KiB (10%)");
  EXPECT_EQ(app::stepText(prompt::Step::WaitingForPlotter, 3, 8),
            "Waiting for the plotter (3 of 8) ...");
}

TEST(OperationRunner, ACallFromTheWorkerRunsOnTheFrontEndsThreadAndNestedCallsWait) {
  WaitingHost host;
  app::OperationRunner runner(host);
  const std::thread::id frontEnd = std::this_thread::get_id();
  std::vector<std::thread::id> ranOn;
  runner.run([&] {
    EXPECT_TRUE(runner.busy());
    for (int i = 0; i < 3; ++i) {
      runner.call([&] {
        ranOn.push_back(std::this_thread::get_id());
        runner.runCalls();  // as a box's own loop would: nothing else waits meanwhile
      });
    }
  });
  EXPECT_FALSE(runner.busy());
  ASSERT_EQ(ranOn.size(), 3u);
  for (std::thread::id id : ranOn) EXPECT_EQ(id, frontEnd);
  bool direct = false;
  runner.call([&] { direct = std::this_thread::get_id() == frontEnd; });
  EXPECT_TRUE(direct) << "a call on the front end's thread runs at once";
}

}  // namespace
}  // namespace velkor::test
