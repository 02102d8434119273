// How every velkorctl command reports a failure, in one shape:
//   text  "CONTEXT: MESSAGE" as one line on the error stream; a usage error adds a second line
//         "Try 'CONTEXT --help'.", a print queue that held the jobs a second line saying what
//         the spooler reported
//   JSON  {...,"error":{"code":N,"message":"MESSAGE"},"exitCode":N} on standard output, where
//         ... are the fields of the report the command had made so far (none when the command
//         line did not parse); exitCode repeats the code for scripts written before "error"
//         became an object
// CONTEXT is "velkorctl" or "velkorctl COMMAND". The code is the exit code and says which kind
// of failure it is (ExitCodes.h): kExitUsage when the command line is wrong, kExitFileError when
// a named file does not open or cannot be created, kExitFailed for every other failure.
#pragma once

#include <optional>
#include <string>

#include "app/cli/Console.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"
#include "plotter/PrintJobFollow.h"

namespace cli {

// Reports the failure and returns its code, so that a command can end with
// "return reportError(...)". A detail is the text's second line (JSON has it in the report).
int reportError(const Console& console, bool json, const std::string& context, ExitCode code,
                const std::string& message, const Report& report = Report(),
                const std::string& detail = {});

// What the spooler reported of a queue that held a send's print jobs: in JSON "spooler":{"queue",
// "state","text"} ("error" too when the spooler could not be asked); nothing when none.
void addSpooler(Report& report, const std::optional<plotter::SpoolerFault>& spooler);
// The spooler's line for the error's second line; empty when none.
std::string spoolerDetail(const std::optional<plotter::SpoolerFault>& spooler);

}  // namespace cli
