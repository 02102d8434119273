#include "app/cli/PlotCommands.h"

#include "app/cli/PlotterChoice.h"
#include "app/cli/RecordText.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"

namespace cli {

namespace {

int selectPlotPlotter(const Arguments& args, ExitCode* code, std::string* error) {
  if (discovery::currentEdition() != discovery::Edition::Full) {
    *code = kExitFailed;
    *error = "the update-only program sends no plot files and aborts no plots";
    return -1;
  }
  const int index = selectChosenPlotter(args, code, error);
  if (index < 0) return -1;
  const discovery::PlotterRecord& record = discovery::plotterList().records[index];
  if (record.connection != discovery::kConnectionDriver &&
      record.connection != discovery::kConnectionPrinter) {
    *code = kExitFailed;
    *error = "plotter " + std::to_string(index) + " (" + discovery::recordText(record.name) +
             ") is on a " + connectionName(record.connection) +
             " connection: plot data goes only over the vendor driver or a USB printer port";
    return -1;
  }
  return index;
}

}  // namespace

PlotTarget openPlotTarget(const Arguments& args) {
  PlotTarget target;
  target.machine = PlotterMachine::open(args, &target.code, &target.error);
  if (target.machine) target.index = selectPlotPlotter(args, &target.code, &target.error);
  if (target.index < 0) target.machine.reset();
  return target;
}

Report plotterReport(int index) {
  const discovery::PlotterRecord& record = discovery::plotterList().records[index];
  Report report;
  report.number("index", "", index)
      .text("name", "plotter", discovery::recordText(record.name))
      .text("connection", "connection", connectionName(record.connection));
  return report;
}

}  // namespace cli
