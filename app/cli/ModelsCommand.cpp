// velkorctl models: the USB identifiers the system looks for.
#include "app/cli/Command.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"
#include "usb/UsbIdentifiers.h"

namespace cli {
namespace {

constexpr OptionRule kOptions[] = {{"--json", nullptr}};

constexpr const char kHelp[] =
    " [--json]\n\n"
    "Shows the USB identifiers that plotters are recognised by: the maker's vendor ID (in\n"
    "every model and in the descriptors of firmware images) and the vendor-driver identifiers\n"
    "of the oldest plotters.\n\n"
    "Options:\n"
    "  --json  one JSON object on standard output\n";

int models(const Arguments& args, const Console& console) {
  Report()
      .hex("vendorId", "vendor ID", usb::kVendorId, 4)
      .hex("legacyVendorId", "legacy vendor ID", usb::kLegacyVendorId, 4)
      .hex("legacyProductId", "legacy product ID", usb::kLegacyProductId, 4)
      .write(console.out, args.has("--json"));
  return kExitOk;
}

}  // namespace

extern const Command kModelsCommand;
const Command kModelsCommand{
    "models", "the USB identifiers the system looks for", kHelp, kOptions, {}, 0, 0, models};

}  // namespace cli
