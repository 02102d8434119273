// Tests of the update procedure: whole updates from a firmware file to virtual plotters on a
// simulated machine, the user played by a recording prompter. The shared temporary file is
// gone when a test ends.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "firmware/SendFirmwareUpdate.h"
#include "plotter/TempName.h"
#include "tests/plotter/PlotterListTest.h"
#include "tests/support/RecordingPrompter.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {

class UpdateTest : public PlotterListTest {
 protected:
  static constexpr int16_t kLinnea30Row = 10;  // model row of product ID 0x4C11

  void TearDown() override {
    plotter::removeTempFile();
    PlotterListTest::TearDown();
  }

  // A firmware file of the identity code (0: none) whose title "PALL <version>" becomes the
  // plotter's firmware text once it takes it.
  std::string firmwareFile(uint16_t code, const std::string& version = "2.20 A4") {
    SampleFirmware sample;
    sample.descriptor = code == 0 ? Descriptor::None : Descriptor::PatternB;
    sample.productId = code;
    sample.headerNote = " " + version;
    files_.push_back(std::make_unique<TempFile>());
    EXPECT_TRUE(writeSampleFirmware(files_.back()->path(), sample));
    return files_.back()->string();
  }

  int update(const std::string& path, int connection, long bootNumber,
             const std::string& version = "2.01", const std::string& name = "plotter") {
    char text[1024] = "";
    int result = firmware::sendFirmwareUpdate(path.c_str(), text, sizeof text, connection,
                                              {version, bootNumber, name}, prompter, &findings);
    log = text;
    return result;
  }

  static bool tempFileExists() {
    return *plotter::tempName() != '\0' && std::filesystem::exists(plotter::tempName());
  }

  RecordingPrompter prompter;
  firmware::UpdateFindings findings;
  std::string log;

 private:
  std::vector<std::unique_ptr<TempFile>> files_;
};

}  // namespace velkor::test
