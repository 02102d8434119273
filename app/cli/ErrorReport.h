// How every velkorctl command reports a failure, in one shape:
//   text  "CONTEXT: MESSAGE" as one line on the error stream; a usage error adds a second line
//         "Try 'CONTEXT --help'."
//   JSON  {...,"error":{"code":N,"message":"MESSAGE"},"exitCode":N} on standard output, where
//         ... are the fields of the report the command had made so far (none when the command
//         line did not parse); exitCode repeats the code for scripts written before "error"
//         became an object
// CONTEXT is "velkorctl" or "velkorctl COMMAND". The code is the exit code and says which kind
// of failure it is (ExitCodes.h): kExitUsage when the command line is wrong, kExitFileError when
// a named file does not open or cannot be created, kExitFailed for every other failure.
#pragma once

#include <string>

#include "app/cli/Console.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"

namespace cli {

// Reports the failure and returns its code, so that a command can end with
// "return reportError(...)".
int reportError(const Console& console, bool json, const std::string& context, ExitCode code,
                const std::string& message, const Report& report = Report());

}  // namespace cli
