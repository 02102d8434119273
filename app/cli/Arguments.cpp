#include "app/cli/Arguments.h"

#include <cstring>

namespace cli {
namespace {

constexpr OptionSpec kHelpOption{"--help", nullptr};

const OptionSpec* findOption(const std::string& name, std::span<const OptionSpec> specs) {
  if (name == kHelpOption.name || name == "-h") return &kHelpOption;
  for (const OptionSpec& spec : specs) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

// Takes the option at args[i] (and its value); false with the error set when it is not valid.
bool takeOption(std::span<const std::string> args, size_t& i, std::span<const OptionSpec> specs,
                Arguments& parsed) {
  const std::string& arg = args[i];
  const size_t equals = arg.find('=');
  const std::string name = arg.substr(0, equals);
  const OptionSpec* spec = findOption(name, specs);
  if (spec == nullptr) {
    parsed.error = "unknown option '" + name + "'";
  } else if (spec->valueName == nullptr && equals != std::string::npos) {
    parsed.error = "option '" + name + "' takes no value";
  } else if (spec->valueName == nullptr) {
    parsed.options[spec->name] = "";
  } else if (equals != std::string::npos) {
    parsed.options[spec->name] = arg.substr(equals + 1);
  } else if (i + 1 < args.size()) {
    parsed.options[spec->name] = args[++i];
  } else {
    parsed.error = "option '" + name + "' needs a value " + spec->valueName;
  }
  return parsed.error.empty();
}

}  // namespace

Arguments parseArguments(std::span<const std::string> args, std::span<const OptionSpec> specs) {
  Arguments parsed;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (!takeOption(args, i, specs, parsed)) break;
    } else {
      parsed.positionals.push_back(arg);
    }
  }
  return parsed;
}

}  // namespace cli
