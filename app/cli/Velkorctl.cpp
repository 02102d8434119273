#include "app/cli/Velkorctl.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/HostSystem.h"

namespace cli {
namespace {

constexpr const char kProgram[] = "velkorctl";
constexpr const char kVersion[] = "velkorctl " VELKOR_VERSION "\n";

void writeProgramHelp(std::ostream& out) {
  out << "usage: velkorctl COMMAND [ARGUMENTS] [--json]\n"
         "       velkorctl --help | --version\n"
         "       velkorctl COMMAND --help\n\n"
         "Service utility for USB marking plotters and engravers, from the command line.\n\n"
         "Commands:\n";
  for (const Command* command : commandTable()) {
    const size_t width = std::strlen(command->name);
    out << "  " << command->name << std::string(10 - std::min<size_t>(9, width), ' ')
        << command->summary << '\n';
  }
  out << "\nOptions:\n  --help     this text\n  --version  the program's version\n"
         "  --json     with a command: one JSON object on standard output, errors included;\n"
         "             an option like any other, so not after \"--\" nor as an option's value\n\n"
      << kOutputHelp << '\n'
      << kExitCodesHelp;
}

// Whether a command line without a known command asks for JSON. Every command takes --json,
// so it counts wherever it stands before a "--", there being no command's rules to parse by.
bool asksForJson(std::span<const std::string> args) {
  const auto end = std::find(args.begin(), args.end(), "--");
  return std::find(args.begin(), end, "--json") != end;
}

// The usage error of a first argument that is no command.
std::string commandError(const std::string& first) {
  if (first == "--json") return "missing command before '--json'";
  const std::string shown = utf8FromSystem(first);
  if (first.size() > 1 && first[0] == '-') return "unknown option '" + shown + "'";
  return "unknown command '" + shown + "'";
}

// Checks the positional count against the command's row; the usage error text, or empty.
std::string positionalError(const Command& command, const Arguments& parsed) {
  const size_t count = parsed.positionals.size();
  if (count < command.minPositionals) {
    const std::span<const char* const> names = command.positionalNames;
    if (names.empty()) return "missing argument";
    return std::string("missing ") + names[std::min(count, names.size() - 1)];
  }
  if (count > command.maxPositionals) {
    return "unexpected argument '" + utf8FromSystem(parsed.positionals[command.maxPositionals]) +
           "'";
  }
  return {};
}

int runCommand(const Command& command, std::span<const std::string> args, const Console& console) {
  const Arguments parsed = parseArguments(args, command.options);
  const std::string context = std::string(kProgram) + " " + command.name;
  const bool json = parsed.has("--json");
  if (!parsed.error.empty()) {
    return reportError(console, json, context, kExitUsage, utf8FromSystem(parsed.error));
  }
  if (parsed.has("--help")) {
    console.out << "usage: " << context << command.help << '\n' << kExitCodesHelp;
    return kExitOk;
  }
  if (const std::string error = positionalError(command, parsed); !error.empty()) {
    return reportError(console, json, context, kExitUsage, error);
  }
  return command.run(parsed, console);
}

}  // namespace

int runVelkorctl(const std::vector<std::string>& args, const Console& console) {
  if (args.empty()) return reportError(console, false, kProgram, kExitUsage, "missing command");
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
    return reportError(console, asksForJson(args), kProgram, kExitUsage, commandError(first));
  }
  return runCommand(*command, std::span(args).subspan(1), console);
}

}  // namespace cli
