#include <string>

#include "app/cli/Command.h"

namespace cli {

extern const Command kInspectCommand;
extern const Command kModelsCommand;

namespace {
// Listed in this order in --help.
constexpr const Command* kCommands[] = {&kInspectCommand, &kModelsCommand};
}  // namespace

std::span<const Command* const> commandTable() { return kCommands; }

const Command* findCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

}  // namespace cli
