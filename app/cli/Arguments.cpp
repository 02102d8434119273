#include "app/cli/Arguments.h"

namespace cli {
namespace {

constexpr OptionRule kHelpOption{"--help", nullptr};

const OptionRule* findOption(const std::string& name, std::span<const OptionRule> rules) {
  if (name == kHelpOption.name || name == "-h") return &kHelpOption;
  for (const OptionRule& rule : rules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

// Takes the option at args[i] (and its value); the usage error when it is not valid.
std::string takeOption(std::span<const std::string> args, size_t& i,
                       std::span<const OptionRule> rules, Arguments& parsed) {
  const std::string& arg = args[i];
  const size_t equals = arg.find('=');
  const std::string name = arg.substr(0, equals);
  const OptionRule* rule = findOption(name, rules);
  if (rule == nullptr) return "unknown option '" + name + "'";
  if (rule->valueName == nullptr && equals != std::string::npos) {
    return "option '" + name + "' takes no value";
  }
  if (rule->valueName == nullptr) {
    parsed.options[rule->name] = "";
  } else if (equals != std::string::npos) {
    parsed.options[rule->name] = arg.substr(equals + 1);
  } else if (i + 1 < args.size()) {
    parsed.options[rule->name] = args[++i];
  } else {
    return "option '" + name + "' needs a value " + rule->valueName;
  }
  return {};
}

}  // namespace

Arguments parseArguments(std::span<const std::string> args, std::span<const OptionRule> rules) {
  Arguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      std::string error = takeOption(args, i, rules, parsed);
      if (parsed.error.empty()) parsed.error = std::move(error);
    } else {
      parsed.positionals.push_back(arg);
    }
  }
  return parsed;
}

}  // namespace cli
