#include "app/cli/Arguments.h"

#include <cstring>

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

// Takes the option at args[i] (and its value); false with the error set when it is not valid.
bool takeOption(std::span<const std::string> args, size_t& i, std::span<const OptionRule> rules,
                Arguments& parsed) {
  const std::string& arg = args[i];
  const size_t equals = arg.find('=');
  const std::string name = arg.substr(0, equals);
  const OptionRule* rule = findOption(name, rules);
  if (rule == nullptr) {
    parsed.error = "unknown option '" + name + "'";
  } else if (rule->valueName == nullptr && equals != std::string::npos) {
    parsed.error = "option '" + name + "' takes no value";
  } else if (rule->valueName == nullptr) {
    parsed.options[rule->name] = "";
  } else if (equals != std::string::npos) {
    parsed.options[rule->name] = arg.substr(equals + 1);
  } else if (i + 1 < args.size()) {
    parsed.options[rule->name] = args[++i];
  } else {
    parsed.error = "option '" + name + "' needs a value " + rule->valueName;
  }
  return parsed.error.empty();
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
      if (!takeOption(args, i, rules, parsed)) break;
    } else {
      parsed.positionals.push_back(arg);
    }
  }
  return parsed;
}

}  // namespace cli
