#include "plotter/PlotFile.h"

#include <string>

#include "channel/CommandTransfer.h"
#include "channel/FileTransfer.h"
#include "discovery/PlotterRecord.h"
#include "plotter/CommandExecutor.h"
#include "plotter/CommandTable.h"
#include "plotter/PlotterLink.h"
#include "plotter/PrintJobs.h"

namespace plotter {
namespace {

constexpr int kResetFailed = -2;
// A single blank as a command stops what the plotter is plotting.
constexpr const char* kAbortCommand = " ";

// The channel's reason for a failure is fetched and dropped: these operations report none.
void discardChannelError() { (void)channel::transferChannelError(linkChannel()); }

int linkAbort() {
  if (int error = ensurePlotterLinkOpen()) {
    closePlotterLink();  // nothing half-open stays behind
    return error;
  }
  const bool sent = channel::commandTransfer(linkChannel(), kAbortCommand);
  if (!sent) discardChannelError();
  closePlotterLink();
  return sent ? 0 : kLinkFailed;
}

int printClassAbort() {
  std::string text;
  return executeCommand(discovery::plotterList().selected, kReset, text) ? 0 : kResetFailed;
}

}  // namespace

SendOutcome plotFile(const char* path) {
  const discovery::PlotterRecord* record = discovery::selectedRecord();
  if (!record) return {};
  switch (record->connection) {
    case discovery::kConnectionDriver:
      return {sendPlotFile(path)};
    case discovery::kConnectionPrinter:
      return printFileJobs(path, discovery::recordText(record->name).c_str());
    default:
      return {};
  }
}

int sendPlotFile(const char* path) {
  if (int error = ensurePlotterLinkOpen()) return error;
  if (channel::sendFileTransfer(linkChannel(), path, false)) return 0;
  discardChannelError();
  return kLinkFailed;
}

int abortPlot() {
  const discovery::PlotterRecord* record = discovery::selectedRecord();
  if (!record) return 0;
  switch (record->connection) {
    case discovery::kConnectionDriver:
      return linkAbort();
    case discovery::kConnectionPrinter:
      return printClassAbort();
    default:
      return 0;
  }
}

}  // namespace plotter
