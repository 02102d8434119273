// velkorctl info: what the chosen plotter reports, field by field as the main dialog shows it.
#include <string>

#include "app/PlotterInfo.h"
#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/PlotterChoice.h"
#include "app/cli/PlotterMachine.h"
#include "app/cli/RecordText.h"
#include "app/cli/Report.h"
#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl info";
constexpr OptionRule kOptions[] = {
    kPlotterOption, kWorldOption, kEditionOption, {"--json", nullptr}};

constexpr const char kHelp[] =
    " [--plotter N] [--world FILE] [--edition EDITION] [--json]\n\n"
    "Finds the attached plotters and shows what plotter N of the list reports, as the main\n"
    "dialog shows it: serial number, plotter type, firmware, boot program, hardware, fixtures,\n"
    "tool type and status (the update-only program: plotter type, firmware, boot program and\n"
    "hardware). A query that failed shows \"???\"; a plotter in update mode has no firmware\n"
    "text.\n\n"
    "Options:\n"
    "  --plotter N        the plotter's index in velkorctl list (default "
    "0)\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             one JSON object: index, name, and the fields by name\n";

Report infoReport(int index, const app::PlotterInfo& info) {
  const bool full = discovery::currentEdition() == discovery::Edition::Full;
  Report report;
  report.number("index", "", index).text("name", "plotter", info.displayName);
  if (full) report.text("serialNumber", "serial number", info.serialNumber);
  report.text("plotterType", "plotter type", info.plotterType)
      .text("firmware", "firmware", info.firmware)
      .text("bootProgram", "boot program", info.bootProgram)
      .text("hardware", "hardware", info.hardware);
  if (full) {
    report.text("fixtures", "fixtures", info.fixtures)
        .text("toolType", "tool type", info.toolType)
        .text("status", "status", info.status);
  }
  return report;
}

int info(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  ExitCode code = kExitOk;
  std::string error;
  std::unique_ptr<PlotterMachine> machine = PlotterMachine::open(args, &code, &error);
  if (!machine) return reportError(console, json, kContext, code, error);
  discovery::discoverPlotters();
  const int index = choosePlotter(args, &code, &error);
  if (index < 0) return reportError(console, json, kContext, code, error);
  infoReport(index, app::fillPlotterInfo(index)).write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kInfoCommand;
const Command kInfoCommand{"info", "what a plotter reports: type, firmware, boot, hardware, ...",
                           kHelp,  kOptions,
                           {},     0,
                           0,      info};

}  // namespace cli
