// velkorctl update: "Send update" of the main dialog from the command line, with every message
// and question of the update shown as the dialog shows it, and optionally a check that the
// plotter came back with the new firmware.
#include <cstdio>
#include <string>

#include "app/SendUpdate.h"
#include "app/cli/Command.h"
#include "app/cli/CommandLinePrompter.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/HostSystem.h"
#include "app/cli/PlotterChoice.h"
#include "app/cli/PlotterMachine.h"
#include "app/cli/ProgressBar.h"
#include "app/cli/RecordText.h"
#include "app/cli/Report.h"
#include "app/cli/UpdateVerify.h"
#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "firmware/UpdateMessages.h"
#include "plotter/PrintJobs.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl update";
constexpr OptionRule kOptions[] = {kPlotterOption,     kWorldOption,      kEditionOption,
                                   {"--yes", nullptr}, {"--no", nullptr}, {"--verify", nullptr},
                                   {"--json", nullptr}};
constexpr const char* kPositionals[] = {"FILE.cas"};

constexpr const char kHelp[] =
    " FILE.cas [--plotter N] [--yes | --no] [--verify] [--world FILE] [--edition EDITION]\n"
    "       [--json]\n\n"
    "Sends the firmware update file FILE.cas to plotter N of the list, exactly as the dialog's\n"
    "\"Send update\" does: finds the plotters again, checks that the plotter can be updated in\n"
    "its state (a plotter on the vendor driver must be in update mode; firmware 1.12 and 1.13\n"
    "must be), converts the file, checks that it fits the plotter's hardware, asks where it\n"
    "does not quite fit, and sends it. Every message and question is shown as the dialog shows\n"
    "it; a question waits for y or n on the terminal.\n\n"
    "Options:\n"
    "  --plotter N        the plotter's index in velkorctl list (default 0)\n"
    "  --yes, --no        answer a question of the update beforehand; without them and without\n"
    "                     a terminal a question is answered No\n"
    "  --verify           after sending, wait for the plotter to shut off and come back (on real\n"
    "                     plotters: switch it on when it has shut off), find it again and show\n"
    "                     its firmware before and after; it not coming back, or coming back\n"
    "                     with the old firmware, is a failure\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             one JSON object: plotter, device, firmware (identity and names),\n"
    "                     messages [{kind, text, answer}], result, status, verified;\n"
    "                     spooler {queue, state, text} when a print queue held the jobs\n\n"
    "Exit codes: 0 sent (and verified with --verify), 1 failed or refused, 2 usage,\n"
    "3 FILE.cas could not be opened.\n";

JsonObject identityJson(const firmware::UpdateIdentity& identity) {
  return JsonObject()
      .add("identityCode", hexText(identity.code, 4))
      .add("identityCodeValue", int64_t{identity.code})
      .add("deviceType", int64_t{identity.deviceType})
      .add("manufacturerCode", int64_t{identity.manufacturerCode})
      .add("hardwareClass", int64_t{identity.hardwareClass})
      .add("manufacturer", identity.names.manufacturer)
      .add("model", identity.names.model);
}

std::string identityText(const firmware::UpdateIdentity& identity) {
  return hexText(identity.code, 4) + " (type " + std::to_string(identity.deviceType) +
         ", manufacturer " + hexText(uint32_t(identity.manufacturerCode), 2) + ", class " +
         std::to_string(identity.hardwareClass) + "): " + identity.names.manufacturer + " " +
         identity.names.model;
}

void addIdentity(Report& report, const char* key, const char* label,
                 const firmware::UpdateIdentity& identity) {
  if (!identity.known) return;
  report.text("", label, identityText(identity)).object(key, identityJson(identity));
}

Report outcomeReport(int index, const discovery::PlotterRecord* record,
                     const app::SendUpdateOutcome& outcome, const CommandLinePrompter& prompter) {
  Report report;
  if (record != nullptr) {
    report.text("", "plotter", std::to_string(index) + " " + discovery::recordText(record->name))
        .object("plotter", recordJson(index, *record));
  }
  addIdentity(report, "device", "device", outcome.findings.device);
  addIdentity(report, "firmware", "firmware file", outcome.findings.firmware);
  report.objects("messages", prompter.messagesJson())
      .number("result", "result", outcome.result)
      .text("status", "status", outcome.status);
  addSpooler(report, outcome.findings.spooler);
  return report;
}

CommandLinePrompter::Answers answersFrom(const Arguments& args) {
  if (args.has("--yes")) return CommandLinePrompter::Answers::Yes;
  if (args.has("--no")) return CommandLinePrompter::Answers::No;
  return CommandLinePrompter::Answers::Ask;
}

// The list as the dialog would show it when the command starts: the chosen plotter selected,
// or none when nothing is attached (the update then says so itself).
int selectPlotter(const Arguments& args, ExitCode* code, std::string* error) {
  discovery::discoverPlotters();
  discovery::PlotterList& list = discovery::plotterList();
  list.selected = -1;
  if (list.count == 0 && !args.has("--plotter")) return 0;
  const int index = choosePlotter(args, code, error);
  if (index >= 0) selectListed(index);
  return index;
}

// What the update procedure's result means, for the one line that reports a failure.
std::string resultMeaning(int result) {
  switch (result) {
    case firmware::kUpdateRefused:
      return "not sent: refused or declined";
    case firmware::kUpdateSendFailed:
      return "the plotter did not take it";
    case plotter::kPrintFileRead:
      return "the temporary file could not be read to its end";
    case plotter::kPrintJobFailed:
      return "a print job was not taken";
    case plotter::kPrintNoBuffer:
      return "no memory for the 1 MiB job buffer";
    default:
      return "not sent";
  }
}

// The update said that it could not open the file named on the command line.
bool fileDidNotOpen(const CommandLinePrompter& prompter) {
  const std::string_view format = firmware::kCannotOpenFileText;
  const std::string_view openFailure = format.substr(0, format.find('\n'));
  for (const ShownMessage& message : prompter.messages()) {
    if (std::string_view(message.text).substr(0, openFailure.size()) == openFailure) return true;
  }
  return false;
}

// What the update found is worth seeing also when it failed: as text before the error line
// (JSON carries it in the error object anyway).
int failure(const Console& console, bool json, ExitCode code, const std::string& message,
            const Report& report, const std::string& detail = {}) {
  if (!json) report.writeText(console.out);
  return reportError(console, json, kContext, code, message, report, detail);
}

int verifyAndReport(const Console& console, bool json, const discovery::PlotterRecord& updated,
                    const app::SendUpdateOutcome& outcome, Report& report) {
  const Verification check =
      verifyUpdate(updated, outcome.target.firmwareVersion, outcome.bootProgram, console.err);
  report.text("", "firmware before", check.before)
      .text("", "firmware after", check.after)
      .object("verified", JsonObject().add("before", check.before).add("after", check.after));
  if (!check.back) return failure(console, json, kExitFailed, check.failure, report);
  report.write(console.out, json);
  return kExitOk;
}

int update(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  if (args.has("--yes") && args.has("--no"))
    return reportError(console, json, kContext, kExitUsage, "--yes and --no exclude each other");
  ExitCode code = kExitOk;
  std::string error;
  std::unique_ptr<PlotterMachine> machine = PlotterMachine::open(args, &code, &error);
  if (!machine) return reportError(console, json, kContext, code, error);
  if (selectPlotter(args, &code, &error) < 0)
    return reportError(console, json, kContext, code, error);
  CommandLinePrompter prompter(console, json, answersFrom(args));
  app::SendUpdateOutcome outcome;
  {
    ProgressBar bar(console.err, !json && standardErrorIsTerminal());
    outcome = app::onSendUpdate(args.positionals[0], prompter);
  }
  const discovery::PlotterRecord* selected = discovery::selectedRecord();
  const discovery::PlotterRecord updated = selected ? *selected : discovery::PlotterRecord{};
  Report report = outcomeReport(discovery::plotterList().selected, selected, outcome, prompter);
  if (outcome.result != 0) {
    const ExitCode failed = fileDidNotOpen(prompter) ? kExitFileError : kExitFailed;
    return failure(console, json, failed,
                   outcome.status + " (result " + std::to_string(outcome.result) + ": " +
                       resultMeaning(outcome.result) + ")",
                   report, spoolerDetail(outcome.findings.spooler));
  }
  if (args.has("--verify")) return verifyAndReport(console, json, updated, outcome, report);
  report.write(console.out, json);
  return kExitOk;
}

}  // namespace

extern const Command kUpdateCommand;
const Command kUpdateCommand{"update",
                             "send a firmware update file to a plotter, as \"Send update\" does",
                             kHelp,
                             kOptions,
                             kPositionals,
                             1,
                             1,
                             update};

}  // namespace cli
