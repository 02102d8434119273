// velkorctl abort: aborts a running plot, as the dialog's "Abort plot" does, and unlike the
// dialog says whether the plotter was told.
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/PlotCommands.h"
#include "app/cli/PlotterChoice.h"
#include "app/cli/Report.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotFile.h"
#include "plotter/TempName.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl abort";
constexpr OptionRule kOptions[] = {
    kPlotterOption, kWorldOption, kEditionOption, {"--json", nullptr}};

constexpr const char kHelp[] =
    " [--plotter N] [--world FILE] [--edition EDITION] [--json]\n\n"
    "Aborts the plot that plotter N of the list is drawing, as the dialog's \"Abort plot\"\n"
    "does: a plotter on the vendor driver gets the abort command (a single blank) and its link\n"
    "is closed; a plotter behind a USB printer port gets \"Reset\". Says whether the plotter\n"
    "took it.\n\n"
    "Options:\n"
    "  --plotter N        the plotter's index in velkorctl list (default "
    "0)\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             one JSON object: index, name, connection, result, aborted\n\n"
    "Exit codes: 0 the plotter took the abort, 1 failed, 2 usage.\n";

int abortCommand(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  const PlotTarget target = openPlotTarget(args);
  if (!target.machine) return reportError(console, json, kContext, target.code, target.error);
  const int index = target.index;
  plotter::ensureTempName();
  const int result = plotter::abortPlot();
  Report report = plotterReport(index);
  report.number("result", "result", result).flag("aborted", "aborted", result == 0);
  if (result != 0) {
    const bool driver =
        discovery::plotterList().records[index].connection == discovery::kConnectionDriver;
    return reportError(console, json, kContext, kExitFailed,
                       driver ? "the plotter link did not open or the plotter did not take the "
                                "abort command (result " +
                                    std::to_string(result) + ")"
                              : "the plotter did not take the Reset command (result " +
                                    std::to_string(result) + ")",
                       report);
  }
  report.write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kAbortCommand;
const Command kAbortCommand{
    "abort",     "abort a running plot, as \"Abort plot\" does", kHelp, kOptions, {}, 0, 0,
    abortCommand};

}  // namespace cli
