#include "app/cli/Velkorctl.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "app/cli/Command.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Json.h"

namespace cli {
namespace {

constexpr const char kVersion[] = "velkorctl " VELKOR_VERSION "\n";

void writeProgramHelp(std::ostream& out) {
  out << "usage: velkorctl COMMAND [ARGUMENTS] [--json]\n"
         "       velkorctl --help | --version\n"
         "       velkorctl COMMAND --help\n\n"
         "Service utility for USB marking plotters and engravers, from the command line.\n\n"
         "Commands:\n";
  for (const Command* command : commandTable()) {
    out << "  " << command->name << std::string(10 - std::min<size_t>(9, std::strlen(command->name)), ' ')
        << command->summary << '\n';
  }
  out << "\nOptions:\n  --help     this text\n  --version  the program's version\n"
         "  --json     with a command: one JSON object on standard output, errors included\n\n"
      << kExitCodesHelp;
}

// Whether the command line asks for JSON, looked at before (or without) parsing it, so that
// usage errors too come as JSON.
bool wantsJson(std::span<const std::string> args) {
  return std::find(args.begin(), args.end(), "--json") != args.end();
}

int usageError(const std::string& context, const std::string& message, bool json,
               const Console& console) {
  if (json) {
    console.out << JsonObject().add("error", message).add("exitCode", int64_t{kExitUsage}).text()
                << '\n';
  } else {
    console.err << context << ": " << message << "\nTry '" << context << " --help'.\n";
  }
  return kExitUsage;
}

// Checks the positional count against the command's row; the usage error text, or empty.
std::string positionalError(const Command& command, const Arguments& parsed) {
  if (parsed.positionals.size() < command.minPositionals) return "missing argument";
  if (parsed.positionals.size() > command.maxPositionals) {
    return "unexpected argument '" + parsed.positionals[command.maxPositionals] + "'";
  }
  return {};
}

int runCommand(const Command& command, std::span<const std::string> args, const Console& console) {
  const Arguments parsed = parseArguments(args, command.options);
  const std::string context = std::string("velkorctl ") + command.name;
  const bool json = wantsJson(args);
  if (!parsed.error.empty()) return usageError(context, parsed.error, json, console);
  if (parsed.has("--help")) {
    console.out << "usage: " << context << command.help << '\n' << kExitCodesHelp;
    return kExitOk;
  }
  if (const std::string error = positionalError(command, parsed); !error.empty()) {
    return usageError(context, error, json, console);
  }
  return command.run(parsed, console);
}

}  // namespace

int runVelkorctl(const std::vector<std::string>& args, const Console& console) {
  if (args.empty()) return usageError("velkorctl", "missing command", false, console);
  const std::string& first = args[0];
  if (first == "--help" || first == "-h") {
    writeProgramHelp(console.out);
    return kExitOk;
  }
  if (first == "--version") {
    console.out << kVersion;
    return kExitOk;
  }
  const Command* command = findCommand(first);
  if (command == nullptr) {
    return usageError("velkorctl", "unknown command '" + first + "'", wantsJson(args), console);
  }
  return runCommand(*command, std::span(args).subspan(1), console);
}

}  // namespace cli
