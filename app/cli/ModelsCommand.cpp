// velkorctl models: the USB identifiers the system looks for.
#include <cstdio>
#include <vector>

#include "app/cli/Command.h"
#include "app/cli/ExitCodes.h"
#include "app/cli/Report.h"
#include "discovery/ModelTable.h"
#include "firmware/ClassTable.h"
#include "firmware/FirmwareNameTable.h"
#include "usb/UsbIdentifiers.h"

namespace cli {
namespace {

constexpr OptionRule kOptions[] = {{"--json", nullptr}};

constexpr const char kHelp[] =
    " [--json]\n\n"
    "Shows the USB identifiers that plotters are recognised by: the maker's vendor ID (in\n"
    "every model and in the descriptors of firmware images) and the vendor-driver identifiers\n"
    "of the oldest plotters; then the model table, the printer models known behind print\n"
    "queues: row, vendor and product ID, hardware ID, command table (0 escape commands,\n"
    "1 vendor requests), size class, kind (0 asked of the plotter, 1 plotter, 2 engraver) and\n"
    "brand.\n\n"
    "Options:\n"
    "  --json  one JSON object on standard output; the table as \"models\":[{\"row\":0,...}],\n"
    "          and the tables a firmware update decides by: \"firmwareNames\" (the names of\n"
    "          the plotter lines an identity code stands for, the end row included) and\n"
    "          \"classTable\" (the hardware class of each device type 0 to 11)\n";

JsonObject modelJson(int row, const discovery::ModelEntry& model) {
  return JsonObject()
      .add("row", int64_t{row})
      .add("vendorId", int64_t{model.vendorId})
      .add("productId", int64_t{model.productId})
      .add("hardwareId", model.hardwareId)
      .add("commandTable", int64_t{model.commandTableSelector})
      .add("sizeClass", int64_t{model.sizeClass})
      .add("kind", int64_t{model.kind})
      .add("brand", int64_t{model.brand});
}

void writeModelTable(std::ostream& out) {
  out << "\nrow vendor product hardware ID               table size kind brand\n";
  const auto models = discovery::modelTable();
  for (size_t row = 0; row < models.size(); ++row) {
    const discovery::ModelEntry& m = models[row];
    char line[128];
    std::snprintf(line, sizeof line, "%-3zu 0x%04x 0x%04x  %-24s  %-5d %-4d %-4d %d\n", row,
                  m.vendorId, m.productId, m.hardwareId, m.commandTableSelector, m.sizeClass,
                  m.kind, m.brand);
    out << line;
  }
}

std::vector<JsonObject> firmwareNamesJson() {
  std::vector<JsonObject> rows;
  for (const firmware::FirmwareNameEntry& entry : firmware::firmwareNameTable()) {
    rows.push_back(JsonObject()
                       .add("manufacturer", entry.manufacturer)
                       .add("model", entry.model)
                       .add("typeByte", int64_t{entry.typeByte})
                       .add("manufacturerCode", int64_t{entry.manufacturerCode}));
  }
  return rows;
}

std::vector<int64_t> classTableJson() {
  std::vector<int64_t> classes;
  for (int type = 0; type < firmware::kClassTableSize; ++type) {
    classes.push_back(firmware::hardwareClass(type));
  }
  return classes;
}

int models(const Arguments& args, const Console& console) {
  Report report;
  report.hex("vendorId", "vendor ID", usb::kVendorId, 4)
      .hex("legacyVendorId", "legacy vendor ID", usb::kLegacyVendorId, 4)
      .hex("legacyProductId", "legacy product ID", usb::kLegacyProductId, 4);
  if (!args.has("--json")) {
    report.writeText(console.out);
    writeModelTable(console.out);
    return kExitOk;
  }
  std::vector<JsonObject> rows;
  const auto table = discovery::modelTable();
  for (size_t row = 0; row < table.size(); ++row) rows.push_back(modelJson(int(row), table[row]));
  console.out << report.json()
                     .add("models", rows)
                     .add("firmwareNames", firmwareNamesJson())
                     .add("classTable", classTableJson())
                     .text()
              << '\n';
  return kExitOk;
}

}  // namespace

extern const Command kModelsCommand;
const Command kModelsCommand{
    "models", "the USB identifiers and the model table the system knows", kHelp, kOptions, {}, 0, 0,
    models};

}  // namespace cli
