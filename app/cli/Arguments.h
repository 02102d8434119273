// A command's arguments: positionals and the options its table row declares.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

namespace cli {

struct OptionRule {
  const char* name;       // "--stream"
  const char* valueName;  // "OUT", or null for a flag
};

struct Arguments {
  std::vector<std::string> positionals;
  std::map<std::string, std::string> options;  // flags map to ""
  std::string error;                           // the first usage error; empty when none

  bool has(const std::string& option) const { return options.count(option) != 0; }
  const std::string& value(const std::string& option) const { return options.at(option); }
};

// Parses the arguments after the command name: "--name VALUE", "--name=VALUE", flags, and
// positionals ("--" ends the options). "--help" is always known. The first usage error is kept
// and the rest is still parsed, so that a later "--json" still asks for the error as JSON.
Arguments parseArguments(std::span<const std::string> args, std::span<const OptionRule> rules);

}  // namespace cli
