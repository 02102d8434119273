// Files a technician might pick by mistake, given to a whole update or plot against the default
// world: each is refused with the system's error, the plotter gets nothing, and the file stays
// as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "app/PlotterInfo.h"
#include "app/RefreshPlotterList.h"
#include "app/SendUpdate.h"
#include "discovery/PlotterRecord.h"
#include "os/Platform.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "plotter/TempName.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbLibrary.h"

namespace velkor::test {
namespace {

namespace fs = std::filesystem;

constexpr int kDriverPlotter = 0;
constexpr int kClassic = 3;

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / "velkor-bad-input";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    endWorld();
    fs::remove_all(folder_);
  }
  void startWorld(int selected) {
    endWorld();
    std::string error;
    world_ = sim::World::fromText(sim::defaultWorldText(), "default", &error);
    ASSERT_TRUE(world_) << error;
    platform_.emplace(world_->machine());
    usb::initUsbLibrary();
    app::refreshPlotterList();
    discovery::plotterList().selected = static_cast<int16_t>(selected);
    app::fillPlotterInfo(selected);
  }
  void endWorld() {
    if (!platform_) return;
    plotter::closePlotterLink();
    plotter::removeTempFile();
    plotter::selectLinkPlace(0);
    platform_.reset();
    world_.reset();
  }
  fs::path write(const std::string& name, const std::vector<unsigned char>& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // The update of that file to the Classic is refused with an error and reaches nothing.
  void expectRefusedUpdate(const std::string& path, const std::string& what) {
    SCOPED_TRACE(what);
    startWorld(kClassic);
    std::error_code ignored;  // a path too long for the system is no file at all
    const bool existed = fs::exists(path, ignored);
    const auto size = fs::file_size(path, ignored);
    RecordingPrompter prompter;
    for (int i = 0; i < 4; ++i) prompter.willAnswer(true);
    const app::SendUpdateOutcome outcome = app::onSendUpdate(path, prompter);
    EXPECT_NE(outcome.result, 0);
    EXPECT_EQ(outcome.status, "Firmware update failed");
    bool error = false;
    for (const PromptCall& call : prompter.calls()) error |= call.kind == PromptCall::Kind::Error;
    EXPECT_TRUE(error) << ::testing::PrintToString(prompter.texts());
    EXPECT_EQ(world_->plotter("Classic")->lastUpdateOutcome(), "");
    EXPECT_EQ(fs::exists(path, ignored), existed);
    EXPECT_EQ(fs::file_size(path, ignored), size);
  }

  fs::path folder_;
  std::unique_ptr<sim::World> world_;
  std::optional<os::ScopedPlatform> platform_;
};

TEST_F(BadInput, FirmwareFilesThatAreNoFirmwareAreRefusedAndReachNoPlotter) {
  expectRefusedUpdate(write("empty.cas", {}).string(), "an empty file");
  const SampleFirmware sample = classicFirmware();
  const std::vector<unsigned char> whole = buildSampleFirmware(sample);
  const std::size_t header = sectionHeaderLength(sample.keyword);
  for (std::size_t cut : {std::size_t{3}, std::size_t{4}, header - 1, header, header + 1}) {
    const std::vector<unsigned char> part(whole.begin(), whole.begin() + static_cast<long>(cut));
    expectRefusedUpdate(write("cut.cas", part).string(), "cut at " + std::to_string(cut));
  }
  expectRefusedUpdate(folder_.string(), "a directory");
  expectRefusedUpdate((folder_ / "gone.cas").string(), "a file that is not there");
#ifndef _WIN32
  expectRefusedUpdate("/dev/null", "a device");
  // The longest path the system takes, and one past it.
  fs::path deep = folder_;
  while (deep.string().size() < 4095 - 201) deep /= std::string(200, 'd');
  fs::create_directories(deep);
  const std::size_t rest = 4095 - deep.string().size() - 1;
  const fs::path longest =
      write((deep / std::string(rest, 'f')).string().substr(folder_.string().size() + 1), {});
  ASSERT_EQ(longest.string().size(), 4095u);
  expectRefusedUpdate(longest.string(), "a path of 4,095 characters (empty file)");
  expectRefusedUpdate(longest.string() + "x", "a path of 4,096 characters");
#endif
}

TEST_F(BadInput, APlotFileRemovedBeforeItIsSentReachesNoPlotter) {
  for (int selected : {kDriverPlotter, kClassic}) {
    SCOPED_TRACE(selected);
    startWorld(selected);
    const fs::path path = write("drawing.plt", std::vector<unsigned char>(1000, 'P'));
    fs::remove(path);  // chosen, then removed before "Send file"
    EXPECT_NE(plotter::plotFile(path.string().c_str()).result, 0);
    for (const auto& plotter : world_->plotters()) EXPECT_TRUE(plotter->plots().empty());
  }
}

}  // namespace
}  // namespace velkor::test
