// velkorctl plot: sends a plot data file to a plotter, as the dialog's "Send file" does, and
// unlike the dialog says how it went.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/HostSystem.h"
#include "app/cli/PlotCommands.h"
#include "app/cli/PlotterChoice.h"
#include "app/cli/ProgressBar.h"
#include "app/cli/Report.h"
#include "discovery/PlotterRecord.h"
#include "firmware/UniqueFile.h"
#include "os/HostPath.h"
#include "plotter/PlotFile.h"
#include "plotter/PlotterLink.h"
#include "plotter/PrintJobs.h"
#include "plotter/TempName.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl plot";
// A file transfer's size field holds 32 bits.
constexpr uintmax_t kLargestDriverFile = 0xFFFFFFFFu;
constexpr OptionRule kOptions[] = {
    kPlotterOption, kWorldOption, kEditionOption, {"--json", nullptr}};
constexpr const char* kPositionals[] = {"FILE.plt"};

constexpr const char kHelp[] =
    " FILE.plt [--plotter N] [--world FILE] [--edition EDITION] [--json]\n\n"
    "Sends the plot data file FILE.plt unchanged to plotter N of the list, as the dialog's\n"
    "\"Send file\" does: over the vendor driver in one transfer, or to the plotter's print\n"
    "queue as print jobs of 1 MiB each. Says whether the plotter took it: on a print queue,\n"
    "once every job has left the queue; a queue that holds them (paused, offline, in error,\n"
    "or a job still waiting after 60 s) is a failure, and a second line says what the spooler\n"
    "reports.\n\n"
    "Options:\n"
    "  --plotter N        the plotter's index in velkorctl list (default "
    "0)\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             one JSON object: index, name, connection, file, result, sent,\n"
    "                     spooler {queue, state, text} when a print queue held the jobs\n\n"
    "Exit codes: 0 sent, 1 failed, 2 usage, 3 FILE.plt could not be opened.\n";

// What a nonzero result of plotFile means, by the route it took.
std::string plotFailure(int16_t connection, int result, const std::string& queue) {
  if (connection == discovery::kConnectionDriver)
    return "the plotter link did not open or the plotter did not take the file (result " +
           std::to_string(result) + ")";
  switch (result) {
    case plotter::kPrintFileRead:
      return "the file could not be read to its end; the jobs before the error were submitted";
    case plotter::kPrintFileOpen:
      return "the file could not be opened";
    case plotter::kPrintJobFailed:
      return "the print queue '" + queue + "' did not take a job";
    case plotter::kPrintNoBuffer:
      return "no memory for the 1 MiB job buffer";
    default:
      return "result " + std::to_string(result);
  }
}

// Why a file of that size cannot go to the selected plotter, checked before anything is sent:
// an empty file has nothing to plot (it would only make an empty job), and the vendor driver's
// request carries a 32-bit size.
std::optional<std::string> sizeRefusal(const std::string& path) {
  std::error_code unknown;
  const uintmax_t size = std::filesystem::file_size(os::hostPath(path), unknown);
  if (unknown) return std::nullopt;  // the send says what is wrong with it
  if (size == 0) return utf8FromSystem(path) + " is empty: there is nothing to plot";
  if (size > kLargestDriverFile &&
      discovery::selectedRecord()->connection == discovery::kConnectionDriver) {
    return utf8FromSystem(path) + " has " + std::to_string(size) +
           " bytes: the vendor driver takes a file of at most 4 GiB - 1 bytes";
  }
  return std::nullopt;
}

int plot(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  const std::string& path = args.positionals[0];
  const PlotTarget target = openPlotTarget(args);
  if (!target.machine) return reportError(console, json, kContext, target.code, target.error);
  const int index = target.index;
  Report report = plotterReport(index).text("file", "file", utf8FromSystem(path));
  if (!firmware::openFile(path.c_str(), "rb")) {
    return reportError(console, json, kContext, kExitFileError,
                       "cannot open " + utf8FromSystem(path) + ": " + std::strerror(errno), report);
  }
  if (std::optional<std::string> refusal = sizeRefusal(path)) {
    return reportError(console, json, kContext, kExitFailed, *refusal, report);
  }
  plotter::ensureTempName();
  plotter::SendOutcome sent;
  {
    ProgressBar bar(console.err, !json && standardErrorIsTerminal());
    sent = plotter::plotFile(path.c_str());
  }
  const int result = sent.result;
  const discovery::PlotterRecord& record = *discovery::selectedRecord();
  report.number("result", "result", result).flag("sent", "sent", result == 0);
  addSpooler(report, sent.spooler);
  if (result != 0) {
    return reportError(
        console, json, kContext, result == plotter::kPrintFileOpen ? kExitFileError : kExitFailed,
        plotFailure(record.connection, result, discovery::recordText(record.name)), report,
        spoolerDetail(sent.spooler));
  }
  report.write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kPlotCommand;
const Command kPlotCommand{"plot",
                           "send a plot data file to a plotter, as \"Send file\" does",
                           kHelp,
                           kOptions,
                           kPositionals,
                           1,
                           1,
                           plot};

}  // namespace cli
