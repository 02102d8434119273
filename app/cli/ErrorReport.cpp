#include "app/cli/ErrorReport.h"

namespace cli {

int reportError(const Console& console, bool json, const std::string& context, ExitCode code,
                const std::string& message, const Report& report, const std::string& detail) {
  if (json) {
    const JsonObject error = JsonObject().add("code", int64_t{code}).add("message", message);
    console.out << report.json().add("error", error).add("exitCode", int64_t{code}).text() << '\n';
    return code;
  }
  // printable keeps the report on one line: a line break in the message shows as \x0a.
  console.err << context << ": " << printable(message) << '\n';
  if (!detail.empty()) console.err << printable(detail) << '\n';
  if (code == kExitUsage) console.err << "Try '" << context << " --help'.\n";
  return code;
}

void addSpooler(Report& report, const std::optional<plotter::SpoolerFault>& spooler) {
  if (!spooler) return;
  JsonObject object;
  object.add("queue", spooler->queue)
      .add("state", plotter::spoolerStateName(spooler->state))
      .add("text", plotter::spoolerFaultText(*spooler));
  if (spooler->error != 0) object.add("error", int64_t{spooler->error});
  report.object("spooler", object);
}

std::string spoolerDetail(const std::optional<plotter::SpoolerFault>& spooler) {
  return spooler ? plotter::spoolerFaultText(*spooler) : std::string();
}

}  // namespace cli
