// velkorctl's exit codes, documented in its --help.
#pragma once

namespace cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,      // the file was rejected or the operation failed
  kExitUsage = 2,       // unknown command or option, missing or extra argument
  kExitFileError = 3,   // a named file could not be opened or created
};

inline constexpr const char kExitCodesHelp[] =
    "Exit codes:\n"
    "  0  success\n"
    "  1  the file was rejected or the operation failed\n"
    "  2  usage error: unknown command or option, missing or extra argument\n"
    "  3  a named file could not be opened or created\n";

}  // namespace cli
