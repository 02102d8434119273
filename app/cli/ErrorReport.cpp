#include "app/cli/ErrorReport.h"

namespace cli {

int reportError(const Console& console, bool json, const std::string& context, ExitCode code,
                const std::string& message, const Report& report) {
  if (json) {
    const JsonObject error = JsonObject().add("code", int64_t{code}).add("message", message);
    console.out << report.json().add("error", error).add("exitCode", int64_t{code}).text() << '\n';
    return code;
  }
  // printable keeps the report on one line: a line break in the message shows as \x0a.
  console.err << context << ": " << printable(message) << '\n';
  if (code == kExitUsage) console.err << "Try '" << context << " --help'.\n";
  return code;
}

}  // namespace cli
