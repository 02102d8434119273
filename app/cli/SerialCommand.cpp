// velkorctl serial: writes a serial number into a plotter behind a print queue, as the main
// dialog does, and shows the serial the plotter reports afterwards.
#include <cstring>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/PlotterChoice.h"
#include "app/cli/PlotterMachine.h"
#include "app/cli/RecordText.h"
#include "app/cli/Report.h"
#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "os/Calls.h"
#include "plotter/QueryFrontEnd.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl serial";
constexpr OptionRule kOptions[] = {
    kPlotterOption, kWorldOption, kEditionOption, {"--json", nullptr}};
constexpr const char* kPositionals[] = {"TEXT"};
// The plotter takes the serial in as it stores it, and the dialog waits this long for that.
constexpr DWORD kSerialSettleMs = 5000;

constexpr const char kHelp[] =
    " TEXT [--plotter N] [--world FILE] [--edition EDITION] [--json]\n\n"
    "Writes TEXT (9 to 12 characters) as the serial number of plotter N of the list, which\n"
    "must be behind a print queue (a USB printer port), waits 5 s while the plotter stores\n"
    "it, finds the plotters again and shows the serial the plotter now reports.\n\n"
    "Options:\n"
    "  --plotter N        the plotter's index in velkorctl list (default "
    "0)\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             one JSON object: index, name, written, serial\n";

// The same queue after the list was built again; -1 when it is no longer listed.
int findQueue(const std::string& name) {
  const discovery::PlotterList& list = discovery::plotterList();
  for (int i = 0; i < list.count; ++i) {
    if (list.records[i].connection == discovery::kConnectionPrinter &&
        discovery::recordText(list.records[i].name) == name) {
      return i;
    }
  }
  return -1;
}

// Why the serial cannot be written to the plotter at index; empty when it can.
std::string refusal(int index) {
  const discovery::PlotterRecord& record = discovery::plotterList().records[index];
  if (record.connection == discovery::kConnectionPrinter) return {};
  return "plotter " + std::to_string(index) + " (" + discovery::recordText(record.name) +
         ") is not behind a print queue: a serial number is written only over a USB printer port";
}

int serial(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  const std::string& text = args.positionals[0];
  if (text.size() < 9 || text.size() > 12) {
    return reportError(
        console, json, kContext, kExitUsage,
        "a serial number has 9 to 12 characters, not " + std::to_string(text.size()));
  }
  ExitCode code = kExitOk;
  std::string error;
  std::unique_ptr<PlotterMachine> machine = PlotterMachine::open(args, &code, &error);
  if (!machine) return reportError(console, json, kContext, code, error);
  if (discovery::currentEdition() != discovery::Edition::Full) {
    return reportError(console, json, kContext, kExitFailed,
                       "the update-only program does not write serial numbers");
  }
  discovery::discoverPlotters();
  const int index = choosePlotter(args, &code, &error);
  if (index < 0) return reportError(console, json, kContext, code, error);
  if (const std::string why = refusal(index); !why.empty()) {
    return reportError(console, json, kContext, kExitFailed, why);
  }
  const std::string name = discovery::recordText(discovery::plotterList().records[index].name);
  selectListed(index);
  const bool written = plotter::setSerialNumber(text.c_str()) == 0;
  os::Sleep(kSerialSettleMs);
  discovery::discoverPlotters();
  const int after = findQueue(name);
  Report report;
  report.number("index", "", index).text("name", "plotter", name).flag("written", "", written);
  if (!written)
    return reportError(console, json, kContext, kExitFailed,
                       "the plotter did not take the serial number", report);
  if (after < 0)
    return reportError(console, json, kContext, kExitFailed,
                       "the plotter is no longer listed after the write", report);
  report.text("serial", "serial now",
              discovery::recordText(discovery::plotterList().records[after].serial));
  report.write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kSerialCommand;
const Command kSerialCommand{"serial",
                             "write a plotter's serial number (behind a print queue)",
                             kHelp,
                             kOptions,
                             kPositionals,
                             1,
                             1,
                             serial};

}  // namespace cli
