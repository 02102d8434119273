// velkorctl world: checks a world file, or shows the built-in world.
#include <memory>
#include <string>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/Report.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl world";
constexpr OptionRule kOptions[] = {
    {"--check", "FILE"}, {"--default", nullptr}, {"--json", nullptr}};

constexpr const char kHelp[] =
    " --check FILE | --default [--json]\n\n"
    "A world describes a simulated machine: its virtual plotters on either connection and its\n"
    "print queues (README.md, \"Worlds\", gives the format).\n\n"
    "Options:\n"
    "  --check FILE  reads and builds the world in FILE and says how many plotters and queues\n"
    "                it has, or where it is wrong: FILE:LINE: what is wrong\n"
    "  --default     prints the built-in world, the one plotter commands use on Linux when\n"
    "                no --world is given; a good start for a world of your own\n"
    "  --json        one JSON object on standard output\n";

int check(const std::string& path, bool json, const Console& console) {
  std::string error;
  bool unreadable = false;
  std::unique_ptr<sim::World> world = sim::World::load(path, &error, &unreadable);
  if (!world) {
    return reportError(console, json, kContext, unreadable ? kExitFileError : kExitFailed, error);
  }
  Report()
      .text("file", "file", path)
      .number("plotters", "plotters", static_cast<int64_t>(world->plan().plotters.size()))
      .number("queues", "queues", static_cast<int64_t>(world->plan().queues.size()))
      .flag("valid", "", true)
      .write(console.out, json);
  return kExitOk;
}

int world(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  if (args.has("--check") == args.has("--default")) {
    return reportError(console, json, kContext, kExitUsage,
                       "give one of --check FILE or --default");
  }
  if (args.has("--check")) return check(args.value("--check"), json, console);
  if (json) {
    console.out << JsonObject().add("world", sim::defaultWorldText()).text() << '\n';
  } else {
    console.out << sim::defaultWorldText();
  }
  return kExitOk;
}

}  // namespace

extern const Command kWorldCommand;
const Command kWorldCommand{
    "world", "check a world file, or show the built-in world", kHelp, kOptions, {}, 0, 0, world};

}  // namespace cli
