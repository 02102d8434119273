// velkorctl update, plot and abort on the built-in world: what the technician sees and what a
// script reads, on both connections.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/DefaultWorld.h"
#include "tests/cli/RunVelkorctl.h"

namespace velkor::test {
namespace {

class UpdatePlotCommandsTest : public ::testing::Test {
 protected:
  std::string firmware(uint16_t code, const std::string& text) {
    const std::string path = firmwareFile(dir_, code, text);
    EXPECT_FALSE(path.empty());
    return path;
  }

  TempDirectory dir_;
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The host's day as the status line writes it ("07 Dec 26"; the tests run in the C locale).
std::string hostDay(std::time_t time) {
  char text[16] = "";
  std::strftime(text, sizeof text, "%d %b %y", std::localtime(&time));
  return text;
}

TEST_F(UpdatePlotCommandsTest, AnUpdateModePlotterOnTheDriverTakesFirmwareAndComesBack) {
  // ZK2BS runs boot program 2.11: a device of type 4, which this type-4 image fits.
  const std::time_t before = std::time(nullptr);
  const Outcome r = velkorctl({"update", firmware(0x4C04, "2.02 A4"), "--plotter", "2", "--world",
                               "default", "--verify", "--json"});
  const std::time_t after = std::time(nullptr);
  EXPECT_EQ(r.exit, 0) << r.out << r.err;
  EXPECT_TRUE(has(r.out,
                  "\"messages\":[{\"kind\":\"information\",\"text\":\"Plotter update "
                  "sent. Please wait"))
      << r.out;
  // On the host's calendar, not the simulated machine's fixed start.
  const std::string sent = "\"result\":0,\"status\":\"Plotter update sent on  ";
  EXPECT_TRUE(has(r.out, sent + hostDay(before)) || has(r.out, sent + hostDay(after))) << r.out;
  EXPECT_TRUE(has(r.out, "\"verified\":{\"before\":\"data not availible\",\"after\":\"2.02 A4\"}"))
      << r.out;
  EXPECT_TRUE(has(r.out, "\"device\":{\"identityCode\":\"0x0004\""));
}

TEST_F(UpdatePlotCommandsTest, APrintQueuePlotterIsAskedWhenTheMakerDiffers) {
  // Classic (model code 0x0301) and an image of the same type by another maker: one question.
  const std::string file = firmware(0x4C01, "1.20 A4");
  const Outcome yes = velkorctl(
      {"update", file, "--plotter", "3", "--world", "default", "--yes", "--verify", "--json"});
  EXPECT_EQ(yes.exit, 0) << yes.out << yes.err;
  EXPECT_TRUE(has(yes.out,
                  "{\"kind\":\"question\",\"text\":\"Manufacturer of firmware update "
                  "file and firmware in device are different\\n"))
      << yes.out;
  EXPECT_TRUE(has(yes.out, "Continue ?\",\"answer\":\"yes\"},{\"kind\":\"information\""));
  EXPECT_TRUE(has(yes.out, "\"verified\":{\"before\":\"1.08 A4\",\"after\":\"1.20 A4\"}"));

  const Outcome no = velkorctl({"update", file, "--plotter", "3", "--world", "default", "--json"});
  EXPECT_EQ(no.exit, 1);
  EXPECT_TRUE(has(no.err, "n (no terminal to answer on: --yes or --no answers for you)")) << no.err;
  EXPECT_TRUE(
      has(no.out, "\"answer\":\"no\"}],\"result\":-2,\"status\":\"Firmware update failed\""))
      << no.out;
}

TEST_F(UpdatePlotCommandsTest, UpdateRefusalsAndTheirExitCodes) {
  const std::string file = firmware(0x0301, "1.20 A4");
  // The driver plotter 0 is not in update mode: the dialog's update-mode text, exit 1.
  const Outcome mode = velkorctl({"update", file, "--plotter", "0", "--world", "default"});
  EXPECT_EQ(mode.exit, 1);
  EXPECT_TRUE(has(mode.out, "[error]\n  To update from firmware versions older than 1.14"))
      << mode.out;
  const Outcome missing =
      velkorctl({"update", dir_ / "none.cas", "--plotter", "3", "--world", "default"});
  EXPECT_EQ(missing.exit, 3);
  EXPECT_TRUE(has(missing.out, "Could not open firmware update file")) << missing.out;
  EXPECT_EQ(velkorctl({"update", file, "--yes", "--no"}).exit, 2);
  // The parallel-port queue has no update path.
  EXPECT_EQ(velkorctl({"update", file, "--plotter", "5", "--world", "default"}).exit, 1);
}

TEST_F(UpdatePlotCommandsTest, PlotAndAbortOnBothConnections) {
  const std::string plt = dir_ / "square.plt";
  std::ofstream(plt) << "IN;PU0,0;PD100,0,100,100,0,100,0,0;PU;";
  for (const char* index : {"0", "3"}) {
    const Outcome plot =
        velkorctl({"plot", plt, "--plotter", index, "--world", "default", "--json"});
    EXPECT_EQ(plot.exit, 0) << plot.out << plot.err;
    EXPECT_TRUE(has(plot.out, "\"result\":0,\"sent\":true}")) << plot.out;
    const Outcome abort = velkorctl({"abort", "--plotter", index, "--world", "default"});
    EXPECT_EQ(abort.exit, 0) << abort.err;
    EXPECT_TRUE(has(abort.out, "aborted             yes")) << abort.out;
  }
  const Outcome missing = velkorctl({"plot", dir_ / "none.plt", "--world", "default"});
  EXPECT_EQ(missing.exit, 3);
  EXPECT_EQ(velkorctl({"plot", plt, "--plotter", "5", "--world", "default"}).exit, 1);
  EXPECT_EQ(velkorctl({"abort", "--world", "default", "--edition", "update-only"}).exit, 1);
}

// A print queue that holds the jobs fails a plot and an update; the spooler's line follows the
// error and is in the JSON.
TEST_F(UpdatePlotCommandsTest, APausedPrintQueueFailsAPlotAndAnUpdateAndSaysWhy) {
  std::string text = sim::defaultWorldText();
  const std::string queue = "[queue Velkor Classic]\n";
  text.insert(text.find(queue) + queue.size(), "state = paused\n");
  const std::string world = dir_ / "paused.world";
  std::ofstream(world) << text;
  const std::string plt = dir_ / "square.plt";
  std::ofstream(plt) << "IN;PU0,0;PD100,0;PU;";
  const std::string said = "Print queue \"Velkor Classic\": the queue is paused";
  const std::string json =
      "\"spooler\":{\"queue\":\"Velkor Classic\",\"state\":\"paused\","
      "\"text\":\"Print queue \\\"Velkor Classic\\\": the queue is paused\"}";

  const Outcome plot = velkorctl({"plot", plt, "--plotter", "3", "--world", world});
  EXPECT_EQ(plot.exit, 1);
  EXPECT_TRUE(has(plot.err, "did not take a job\n" + said + "\n")) << plot.err;
  const Outcome plotJson = velkorctl({"plot", plt, "--plotter", "3", "--world", world, "--json"});
  EXPECT_TRUE(has(plotJson.out, "\"sent\":false," + json + ",\"error\":")) << plotJson.out;

  const std::vector<std::string> update = {
      "update", firmware(0x0301, "1.20 A4"), "--plotter", "3", "--world", world};
  const Outcome updated = velkorctl(update);
  EXPECT_EQ(updated.exit, 1);
  EXPECT_TRUE(has(updated.out, "  Error sending update to plotter. Connection OK?\n  " + said))
      << updated.out;
  EXPECT_TRUE(has(updated.err, "Firmware update failed (result -4: the plotter did not take it)\n" +
                                   said + "\n"))
      << updated.err;
  std::vector<std::string> asJson = update;
  asJson.push_back("--json");
  EXPECT_TRUE(has(velkorctl(asJson).out, "\"status\":\"Firmware update failed\"," + json));
}

TEST_F(UpdatePlotCommandsTest, APlotFileTooLargeForTheDriverIsRefusedBeforeAnythingIsSent) {
  const std::string huge = dir_ / "huge.plt";
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, 0x100000001ull);  // sparse: 4 GiB and one byte
  const Outcome plot = velkorctl({"plot", huge, "--plotter", "0", "--world", "default"});
  EXPECT_EQ(plot.exit, 1);
  EXPECT_TRUE(has(plot.err, "has 4294967297 bytes: the vendor driver takes a file of at most"))
      << plot.err;
}

TEST_F(UpdatePlotCommandsTest, AnEmptyPlotFileIsRefusedOnEitherConnection) {
  const std::string empty = dir_ / "empty.plt";
  std::ofstream(empty).close();
  for (const char* index : {"0", "3"}) {
    const Outcome plot = velkorctl({"plot", empty, "--plotter", index, "--world", "default"});
    EXPECT_EQ(plot.exit, 1);
    EXPECT_TRUE(has(plot.err, "empty.plt is empty: there is nothing to plot")) << plot.err;
  }
}

}  // namespace
}  // namespace velkor::test
