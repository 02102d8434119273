#include "app/StatusProgress.h"

#include <cstdio>

namespace app {
namespace {

// Byte counts change far faster than anybody reads them; steps are shown as they come.
constexpr std::chrono::milliseconds kSentInterval{100};
constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = 1024 * kKiB;
// Above this a send is counted in MiB, so that its figures stay short.
constexpr uint64_t kMiBFrom = 10 * kMiB;

// A count with a comma between each group of three digits: "2,048".
std::string grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

}  // namespace

std::string stepText(prompt::Step step, int number, int count) {
  using prompt::Step;
  switch (step) {
    case Step::LookingForPlotters:
      return "Looking for plotters ...";
    case Step::AskingPlotter:
      return "Asking the plotter ...";
    case Step::SettlingList:
      return "Preparing the update: giving the plotter list 0.5 s to settle ...";
    case Step::ConvertingFile:
      return "Converting the firmware update file ...";
    case Step::CheckingOnline:
      return "Asking whether the plotter is online ...";
    case Step::SwitchingToDownloadState:
      return "Switching the plotter into its download state ...";
    case Step::WaitingForRestart:
      return "Waiting 4 s for the plotter to restart ...";
    case Step::WaitingForPlotter:
      return "Waiting for the plotter (" + std::to_string(number) + " of " +
             std::to_string(count) + ") ...";
    case Step::AnnouncingUpdate:
      return "Announcing the update to the plotter ...";
    case Step::WaitingAfterAnnouncement:
      return "Waiting 2 s for the plotter to get ready ...";
    case Step::Sending:
      return "Sending ...";
    case Step::WaitingForPrintQueue:
      return "Waiting for the print queue ...";
    case Step::StoringSerial:
      return "Waiting 5 s for the plotter to store the serial number ...";
    case Step::AbortingPlot:
      return "Aborting the plot ...";
  }
  return {};
}

std::string sentText(const std::string& what, uint64_t sent, uint64_t total) {
  const uint64_t unit = total >= kMiBFrom ? kMiB : kKiB;
  const char* unitName = unit == kMiB ? " MiB" : " KiB";
  const uint64_t percent = total == 0 ? 100 : sent * 100 / total;
  return what + ": " + grouped(sent / unit) + unitName + " of " + grouped((total + unit - 1) / unit) +
         unitName + " (" + std::to_string(percent) + "%)";
}

StatusProgress::StatusProgress(std::string sending, std::function<void(const std::string&)> show)
    : sending_(std::move(sending)), show_(std::move(show)), previous_(prompt::installProgress(this)) {}

StatusProgress::~StatusProgress() { prompt::installProgress(previous_); }

void StatusProgress::step(prompt::Step step, int number, int count) {
  show_(step == prompt::Step::Sending ? sending_ + " ..." : stepText(step, number, count));
  shown_ = std::chrono::steady_clock::now();
}

void StatusProgress::advance(uint64_t sent, uint64_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (sent != 0 && sent != total && now - shown_ < kSentInterval) return;
  show_(sentText(sending_, sent, total));
  shown_ = now;
}

}  // namespace app
