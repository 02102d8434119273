#include "app/PlotterInfo.h"

#include <cstdlib>
#include <cstring>

#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "prompt/Progress.h"

namespace app {
namespace {

constexpr int kFieldBufferSize = 300;

std::string updateModeText(discovery::Edition edition) {
  return edition == discovery::Edition::UpdateOnly ? "info not avail. in update mode"
                                                   : "data not availible";
}

}  // namespace

std::string queryField(const char* letters) {
  char reply[kFieldBufferSize] = {};
  if (plotter::queryPlotter(letters, reply, kFieldBufferSize) < 0) return kFailedQueryText;
  return std::string(reply, strnlen(reply, kFieldBufferSize));
}

// The fixtures come without a terminator when they fill the field.
std::string fixturesField() {
  char out[plotter::kFixturesSize] = {};
  if (plotter::queryFixtures(out) < 0) return kFailedQueryText;
  return std::string(out, strnlen(out, plotter::kFixturesSize));
}

PlotterInfo fillPlotterInfo(int index) {
  const discovery::Edition edition = discovery::currentEdition();
  discovery::PlotterList& list = discovery::plotterList();
  PlotterInfo info;
  list.selected = static_cast<int16_t>(index);
  const discovery::PlotterRecord* record = discovery::selectedRecord();
  if (record == nullptr) return info;
  prompt::reportStep(prompt::Step::AskingPlotter);
  const bool full = edition == discovery::Edition::Full;
  if (record->connection == discovery::kConnectionDriver) {
    plotter::selectLinkPlace(record->linkPlace);
  }
  if (full) info.serialNumber = discovery::recordText(record->serial);
  info.plotterType = queryField("5");
  info.firmware =
      record->sizeClass == discovery::kUpdateModeSizeClass ? updateModeText(edition) : queryField("6");
  info.bootProgram = queryField("7");
  info.hardware = queryField("8");
  if (full) {
    info.fixtures = fixturesField();
    info.toolType = queryField("A");
    info.status = queryField("B");
  }
  info.firmwareVersion = info.firmware;
  info.bootNumber = std::atol(info.bootProgram.c_str());
  info.displayName = discovery::recordText(record->name);
  return info;
}

}  // namespace app
