#include "app/MainDialog.h"

#include "app/RefreshPlotterList.h"
#include "app/SendUpdate.h"
#include "app/dialogs/DialogTemplates.h"
#include "discovery/PlotterRecord.h"
#include "os/Calls.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "plotter/QueryFrontEnd.h"
#include "plotter/TempName.h"
#include "prompt/Progress.h"
#include "usb/UsbApi.h"

namespace app {
namespace {

// A new serial number is 9 to 12 characters; the field is read with room to tell a longer one.
constexpr std::size_t kSerialReadChars = 19;
constexpr std::size_t kSerialMinChars = 9;
constexpr std::size_t kSerialMaxChars = 12;
// The plotter takes its time to store a serial number before it is asked again.
constexpr DWORD kSerialSettleMs = 5000;

constexpr FileFilter kFirmwareFilters[] = {{"Firmware update files *.cas", "*.cas"},
                                           {"All *.*", "*.*"}};
constexpr FileFilter kPlotFilters[] = {{"Plotter data files *.plt", "*.plt"}, {"All *.*", "*.*"}};

constexpr MessageMapEntry kFullMessageMap[] = {
    {IDC_REFRESH, kButtonClicked, &MainDialog::onRefresh},
    {IDC_PLOTTER_LIST, kSelectionChange, &MainDialog::onSelectPlotter},
    {IDC_SEND_SERIAL_NUMBER, kButtonClicked, &MainDialog::onSendSerialNumber},
    {IDC_CHOOSE_FIRMWARE_FILE, kButtonClicked, &MainDialog::onChooseFirmwareFile},
    {IDC_SEND_UPDATE, kButtonClicked, &MainDialog::onSendUpdate},
    {IDC_CHOOSE_PLOT_FILE, kButtonClicked, &MainDialog::onChoosePlotFile},
    {IDC_SEND_PLOT_FILE, kButtonClicked, &MainDialog::onSendPlotFile},
    {IDC_ABORT_PLOT, kButtonClicked, &MainDialog::onAbortPlot},
    {IDC_READ_FIXTURES, kButtonClicked, &MainDialog::onReadFixtures},
    {IDC_READ_TOOL_TYPE, kButtonClicked, &MainDialog::onReadToolType},
    {IDC_READ_STATUS, kButtonClicked, &MainDialog::onReadStatus},
};

constexpr MessageMapEntry kUpdateOnlyMessageMap[] = {
    {IDC_REFRESH, kButtonClicked, &MainDialog::onRefresh},
    {IDC_PLOTTER_LIST, kSelectionChange, &MainDialog::onSelectPlotter},
    {IDC_CHOOSE_FIRMWARE_FILE, kButtonClicked, &MainDialog::onChooseFirmwareFile},
    {IDC_SEND_UPDATE, kButtonClicked, &MainDialog::onSendUpdate},
};

int selectedIndex() { return discovery::plotterList().selected; }

}  // namespace

std::span<const MessageMapEntry> messageMap(discovery::Edition edition) {
  if (edition == discovery::Edition::UpdateOnly) return kUpdateOnlyMessageMap;
  return kFullMessageMap;
}

MainDialog::MainDialog(AppState& state, DialogView& view, prompt::Prompter& prompter)
    : state_(state), view_(view), prompter_(prompter), edition_(discovery::currentEdition()) {}

bool MainDialog::onInitDialog() {
  usb::initUsbLibrary();
  if (!state_.firmwarePath.empty()) view_.setControlText(IDC_FIRMWARE_PATH, state_.firmwarePath);
  const char* aboutItem = editionDialogs(edition_).aboutItem;
  if (*aboutItem != '\0') view_.appendAboutItem(aboutItem);
  refreshPlotterList();
  return true;
}

bool MainDialog::onCommand(int controlId, int notification) {
  for (const MessageMapEntry& entry : messageMap(edition_)) {
    if (entry.controlId == controlId && entry.notification == notification) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

bool MainDialog::onSysCommand(unsigned command) {
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    view_.showAbout();
    return true;
  }
  if ((command & 0xFFF0) == kCloseCommand) plotter::closePlotterLink();
  return false;
}

void MainDialog::refreshPlotterList() { showRefreshed(app::refreshPlotterList()); }

void MainDialog::showRefreshed(const PlotterInfo& info) {
  const discovery::PlotterList& list = discovery::plotterList();
  std::vector<std::string> lines;
  for (int i = 0; i < list.count; ++i) lines.push_back(discovery::recordText(list.records[i].name));
  view_.setListLines(lines);
  if (list.selected >= 0) view_.selectListLine(list.selected);
  show(info);
}

void MainDialog::fillPlotterInfo(int index) { show(app::fillPlotterInfo(index)); }

void MainDialog::show(const PlotterInfo& info) {
  if (edition_ == discovery::Edition::Full)
    view_.setControlText(IDC_SERIAL_NUMBER, info.serialNumber);
  view_.setControlText(IDC_PLOTTER_TYPE, info.plotterType);
  view_.setControlText(IDC_FIRMWARE, info.firmware);
  view_.setControlText(IDC_BOOT_PROGRAM, info.bootProgram);
  view_.setControlText(IDC_HARDWARE, info.hardware);
  if (edition_ == discovery::Edition::Full) {
    view_.setControlText(IDC_FIXTURES, info.fixtures);
    view_.setControlText(IDC_TOOL_TYPE, info.toolType);
    view_.setControlText(IDC_STATUS, info.status);
  }
  state_.firmwareVersion = info.firmwareVersion;
  state_.bootNumber = info.bootNumber;
  state_.displayName = info.displayName;
}

void MainDialog::onSelectPlotter() {
  const int line = view_.currentListLine();
  if (line >= 0) fillPlotterInfo(line);
}

void MainDialog::onSendSerialNumber() {
  const std::string serial = view_.controlText(IDC_SERIAL_NUMBER, kSerialReadChars);
  if (serial.size() >= kSerialMinChars && serial.size() <= kSerialMaxChars && selectedIndex() >= 0)
    plotter::setSerialNumber(serial.c_str());
  prompt::reportStep(prompt::Step::StoringSerial);
  os::Sleep(kSerialSettleMs);
  refreshPlotterList();
}

void MainDialog::chooseFile(std::span<const FileFilter> filters, std::string& path,
                            int pathControl) {
  std::optional<std::string> chosen = view_.chooseFile(filters);
  if (!chosen) return;
  path = std::move(*chosen);
  view_.setControlText(pathControl, path);
}

void MainDialog::onChooseFirmwareFile() {
  chooseFile(kFirmwareFilters, state_.firmwarePath, IDC_FIRMWARE_PATH);
}

void MainDialog::onChoosePlotFile() { chooseFile(kPlotFilters, state_.plotPath, IDC_PLOT_PATH); }

void MainDialog::onSendUpdate() {
  const auto showStatus = [this](const std::string& status) {
    view_.setControlText(IDC_STATUS_LINE, status);
  };
  const SendUpdateOutcome outcome = app::onSendUpdate(
      state_.firmwarePath, prompter_, [this](const PlotterInfo& info) { showRefreshed(info); },
      showStatus);
  showStatus(outcome.status);
}

void MainDialog::onSendPlotFile() {
  plotter::ensureTempName();
  if (selectedIndex() < 0) return;
  prompt::reportStep(prompt::Step::Sending);
  plotter::plotFile(state_.plotPath.c_str());
}

void MainDialog::onAbortPlot() {
  plotter::ensureTempName();
  if (selectedIndex() < 0) return;
  prompt::reportStep(prompt::Step::AbortingPlot);
  plotter::abortPlot();
}

void MainDialog::readField(int controlId, std::string (*read)()) {
  if (selectedIndex() < 0) {
    view_.setControlText(controlId, "");
    return;
  }
  prompt::reportStep(prompt::Step::AskingPlotter);
  view_.setControlText(controlId, read());
}

void MainDialog::onReadFixtures() { readField(IDC_FIXTURES, fixturesField); }

void MainDialog::onReadToolType() {
  readField(IDC_TOOL_TYPE, [] { return queryField("A"); });
}

void MainDialog::onReadStatus() {
  readField(IDC_STATUS, [] { return queryField("B"); });
}

}  // namespace app
