#include "app/SendUpdate.h"

#include <cstdio>
#include <optional>

#include "app/RefreshPlotterList.h"
#include "discovery/PlotterRecord.h"
#include "os/Calls.h"
#include "plotter/TempName.h"
#include "prompt/Progress.h"

namespace app {
namespace {

// The dialog lets the plotter list settle before it looks at the selected plotter.
constexpr DWORD kSettleMs = 500;
constexpr int kProgressLogSize = 1024;

constexpr const char kNoPlotters[] = "No plotters detected\n";
constexpr const char kListChanged[] =
    "The plotter list has changed: the selected plotter is not the one it was.\n\nCheck the "
    "selected plotter and click on \"Send update\" again.";
constexpr const char kUpdateModeNeeded[] =
    "To update from firmware versions older than 1.14, the plotter must be started in UPDATE "
    "MODE:\n\nRecycle the power  of the plotter.When switching on the power, \nhold down the STOP "
    "and CLEAR BUFFER Keys.\nThe STOP and CLEAR Buffer LEDs should then be lighted.\nClick on the "
    "\"Refresh Plotter info\" button and retry the update.";
constexpr const char kUpdateSent[] =
    "Plotter update sent. Please wait until update is completed.\n The plotter will shut off "
    "automatically in about 15 seconds.\n\n To confirm the update, switch on the power of the "
    "plotter and click on the button \"Refresh plotter info\". \n\nNote: a driver update may be "
    "necessary.";
constexpr const char kUpdateFailed[] = "Firmware update failed";

}  // namespace

std::string updateSentStatus(const SYSTEMTIME& now) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* month = now.wMonth >= 1 && now.wMonth <= 12 ? kMonths[now.wMonth - 1] : "???";
  char text[64];
  std::snprintf(text, sizeof text, "Plotter update sent on  %02u %s %02u %02u:%02u:%02u",
                unsigned(now.wDay), month, unsigned(now.wYear % 100), unsigned(now.wHour),
                unsigned(now.wMinute), unsigned(now.wSecond));
  return text;
}

namespace {

SendUpdateOutcome refused(SendUpdateOutcome outcome, prompt::Prompter& prompter, const char* text) {
  prompter.showError(text);
  outcome.result = firmware::kUpdateRefused;
  outcome.status = kUpdateFailed;
  return outcome;
}

}  // namespace

bool needsUpdateMode(int connection, int sizeClass, const std::string& firmwareVersion) {
  if (connection == discovery::kConnectionDriver && sizeClass != discovery::kUpdateModeSizeClass)
    return true;
  return firmwareVersion.find("1.12") != std::string::npos ||
         firmwareVersion.find("1.13") != std::string::npos;
}

SendUpdateOutcome onSendUpdate(const std::string& firmwarePath, prompt::Prompter& prompter,
                               const std::function<void(const PlotterInfo&)>& shown,
                               const std::function<void(const std::string&)>& statusShown) {
  plotter::ensureTempName();
  // The refresh keeps the selected line, which after a change of the list may be another
  // plotter's: the update goes to the device the user chose or nowhere. The chosen plotter
  // itself may come back under another name (restarted in update mode, as the refusal below
  // asks) or without its serial.
  const discovery::PlotterRecord* before = discovery::selectedRecord();
  const std::optional<discovery::PlotterRecord> chosen =
      before != nullptr ? std::optional(*before) : std::nullopt;
  const PlotterInfo info = refreshPlotterList();
  if (shown) shown(info);
  prompt::reportStep(prompt::Step::SettlingList);
  os::Sleep(kSettleMs);
  SendUpdateOutcome outcome;
  outcome.target = {info.firmwareVersion, info.bootNumber, info.displayName};
  outcome.bootProgram = info.bootProgram;
  const discovery::PlotterRecord* record = discovery::selectedRecord();
  if (record == nullptr) return refused(outcome, prompter, kNoPlotters);
  if (chosen && !discovery::sameDevice(*chosen, *record))
    return refused(outcome, prompter, kListChanged);
  if (needsUpdateMode(record->connection, record->sizeClass, info.firmwareVersion))
    return refused(outcome, prompter, kUpdateModeNeeded);
  char log[kProgressLogSize] = {};
  outcome.result =
      firmware::sendFirmwareUpdate(firmwarePath.c_str(), log, kProgressLogSize, record->connection,
                                   outcome.target, prompter, &outcome.findings);
  if (outcome.result != 0) {
    outcome.status = kUpdateFailed;
    return outcome;
  }
  SYSTEMTIME now{};
  os::GetLocalTime(&now);
  outcome.status = updateSentStatus(now);
  if (statusShown) statusShown(outcome.status);  // the status line is there when the notice is
  prompter.showInformation(kUpdateSent);
  return outcome;
}

}  // namespace app
