#include <string>

#include "app/cli/Command.h"

namespace cli {

extern const Command kAbortCommand;
extern const Command kInfoCommand;
extern const Command kInspectCommand;
extern const Command kListCommand;
extern const Command kModelsCommand;
extern const Command kPlotCommand;
extern const Command kSerialCommand;
extern const Command kUpdateCommand;
extern const Command kWorldCommand;

namespace {
// Listed in this order in --help.
constexpr const Command* kCommands[] = {&kListCommand,    &kInfoCommand,   &kSerialCommand,
                                        &kUpdateCommand,  &kPlotCommand,   &kAbortCommand,
                                        &kInspectCommand, &kModelsCommand, &kWorldCommand};
}  // namespace

std::span<const Command* const> commandTable() { return kCommands; }

const Command* findCommand(const std::string& name) {
  for (const Command* command : kCommands) {
    if (name == command->name) return command;
  }
  return nullptr;
}

}  // namespace cli
