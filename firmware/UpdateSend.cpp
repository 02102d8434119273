#include "firmware/UpdateSend.h"

#include <cstring>
#include <optional>
#include <span>

#include "channel/FileTransfer.h"
#include "discovery/Edition.h"
#include "firmware/SendFirmwareUpdate.h"
#include "os/Calls.h"
#include "plotter/CommandExecutor.h"
#include "plotter/CommandTable.h"
#include "plotter/PlotterLink.h"
#include "plotter/PrintJobs.h"
#include "prompt/Progress.h"

namespace firmware {
namespace {

// ESC ".DL": the print data that follows is an update stream.
constexpr char kDownloadCommand[] = {0x1B, '.', 'D', 'L'};
// Old firmware restarts into its download state; it is given this long before it is asked
// whether it is back, then this many more chances a second apart.
constexpr DWORD kRestartPause = 4000;
constexpr int kOnlinePolls = 8;
constexpr DWORD kPollPause = 1000;
// Newer firmware switches by itself on the announcement, in this time.
constexpr DWORD kAnnouncementPause = 2000;

bool runCommand(int16_t plotterRow, int32_t code) {
  std::string reply;
  return plotter::executeCommand(plotterRow, code, reply);
}

bool queryOnline(int16_t plotterRow) {
  return runCommand(plotterRow, discovery::currentEditionFacts().queryOnlineCode);
}

// Version texts compare by their first four characters; "????" is firmware that cannot say.
bool needsDownloadState(const std::string& firmwareVersion) {
  const char* version = firmwareVersion.c_str();
  return std::strncmp(version, "????", 4) == 0 || std::strncmp(version, "1.12", 4) <= 0;
}

bool enterDownloadState(int16_t plotterRow) {
  prompt::reportStep(prompt::Step::SwitchingToDownloadState);
  if (!runCommand(plotterRow, plotter::kFirmwareUpdate)) return false;
  prompt::reportStep(prompt::Step::WaitingForRestart);
  os::Sleep(kRestartPause);
  for (int poll = 0; poll < kOnlinePolls; ++poll) {
    prompt::reportStep(prompt::Step::WaitingForPlotter, poll + 1, kOnlinePolls);
    if (queryOnline(plotterRow)) return true;
    os::Sleep(kPollPause);
  }
  return false;
}

// ESC ".DL" as a job of its own, which must have reached the plotter (left the queue) before
// anything is timed from it or sent after it.
plotter::SendOutcome announceStream(const char* queueName, const char* streamPath) {
  prompt::reportStep(prompt::Step::AnnouncingUpdate);
  const std::optional<DWORD> jobId =
      plotter::printRawJob(queueName, kDownloadCommand, sizeof kDownloadCommand, streamPath);
  if (!jobId) return {kUpdateSendFailed};
  std::optional<plotter::SpoolerFault> held =
      plotter::followPrintJobs(queueName, std::span<const DWORD>(&*jobId, 1));
  return {held ? kUpdateSendFailed : 0, std::move(held)};
}

}  // namespace

int sendUpdateToDriver(const char* streamPath) {
  prompt::reportStep(prompt::Step::Sending);
  const bool sent = channel::sendFileTransfer(plotter::linkChannel(), streamPath, true);
  return sent ? 0 : kUpdateSendFailed;
}

plotter::SendOutcome sendUpdateToPrinter(int16_t plotterRow, const std::string& firmwareVersion,
                                         const char* queueName, const char* streamPath) {
  prompt::reportStep(prompt::Step::CheckingOnline);
  if (!queryOnline(plotterRow)) return {kUpdateSendFailed};
  const bool restarts = needsDownloadState(firmwareVersion);
  if (restarts && !enterDownloadState(plotterRow)) return {kUpdateSendFailed};
  plotter::SendOutcome announced = announceStream(queueName, streamPath);
  if (announced.result != 0) return announced;
  if (!restarts) {
    prompt::reportStep(prompt::Step::WaitingAfterAnnouncement);
    os::Sleep(kAnnouncementPause);
  }
  prompt::reportStep(prompt::Step::Sending);
  return plotter::printFileJobs(streamPath, queueName);
}

}  // namespace firmware
