// velkorctl list: discovers the attached plotters as the dialog's refresh does and lists them.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/Command.h"
#include "app/cli/ErrorReport.h"
#include "app/cli/PlotterMachine.h"
#include "app/cli/RecordText.h"
#include "app/cli/Report.h"
#include "discovery/DiscoverPlotters.h"

namespace cli {
namespace {

constexpr const char kContext[] = "velkorctl list";
constexpr OptionRule kOptions[] = {kWorldOption, kEditionOption, {"--json", nullptr}};

constexpr const char kHelp[] =
    " [--world FILE] [--edition EDITION] [--json]\n\n"
    "Finds the attached plotters, on the vendor driver and behind print queues, and lists\n"
    "them in list order: index, name, connection, size class, kind, brand, where it is\n"
    "reached (link place, or queue port) and serial number. When none is found it says what\n"
    "discovery saw. A line per vendor-driver device that is there but could not be opened\n"
    "(another program holds it, or this user may not open it) says so; the plotters after\n"
    "it are still found. So does a line per print queue whose plotter did not answer, when\n"
    "others were found. On the real Linux machine, USB devices of the vendor that this user\n"
    "may not open are counted and said (the udev rule gives access).\n\n"
    "Options:\n" VELKORCTL_PLOTTER_OPTIONS_HELP
    "  --json             {\"plotters\":[{every field of the record}],\"discovery\":{...,\n"
    "                     \"devicesNotOpened\":[{\"index\",\"reason\",\"error\"}]}}\n";

std::string where(const discovery::PlotterRecord& r) {
  if (r.connection == discovery::kConnectionDriver) {
    return "link place " + std::to_string(r.linkPlace);
  }
  return "port " + discovery::recordText(r.port);
}

void writeLine(std::ostream& out, int index, const discovery::PlotterRecord& r) {
  char line[512];
  std::snprintf(line, sizeof line, "%-3d %-24s %-9s size %-3d %-9s brand %-4d %-16s", index,
                printable(discovery::recordText(r.name)).c_str(),
                connectionName(r.connection).c_str(), r.sizeClass, kindName(r.kind).c_str(),
                r.brand, printable(where(r)).c_str());
  std::string text = line;
  if (r.serial[0] != '\0') text += " serial " + printable(discovery::recordText(r.serial));
  out << text.substr(0, text.find_last_not_of(' ') + 1) << '\n';
}

// What discovery saw of the vendor driver, for a list that came out empty.
std::string driverDevicesSeen(const discovery::DiscoveryNotes& notes) {
  if (notes.driverPlotters > 0) {
    return std::to_string(notes.driverPlotters) + " vendor-driver device(s), none identified";
  }
  if (!notes.devicesNotOpened.empty()) {
    return std::to_string(notes.devicesNotOpened.size()) +
           " vendor-driver device(s) that could not be opened";
  }
  return "no device of the vendor driver";
}

constexpr const char kNoPrintService[] = "no print service";

// Why the list is empty, as far as discovery can tell.
std::string emptyListReason(const discovery::DiscoveryNotes& notes, bool printService) {
  const std::string driver = driverDevicesSeen(notes);
  std::string queues;
  if (!printService) {
    queues = kNoPrintService;
  } else if (notes.queues == 0) {
    queues = "no print queue";
  } else if (notes.queuesOfKnownModel == 0) {
    queues = std::to_string(notes.queues) + " print queue(s), none of a known model";
  } else {
    queues = std::to_string(notes.queuesOfKnownModel) + " queue(s) of a known model";
    if (!notes.queuesNotAnswering.empty()) {
      queues += ", " + std::to_string(notes.queuesNotAnswering.size()) +
                " whose plotter did not answer (switched off?)";
    }
  }
  return "No plotters detected: " + driver + "; " + queues + ".";
}

// How a device that did not open is told: its reason in JSON, and in text what the technician
// can do about it (null: its error is all there is to say).
struct RefusalWords {
  const char* reason;
  const char* text;
};

RefusalWords wordsFor(plotter::OpenRefusal refusal) {
  switch (refusal) {
    case plotter::OpenRefusal::InUse:
      return {"in use", "in use by another program"};
    case plotter::OpenRefusal::AccessDenied:
      return {"access denied",
              "access denied: run as administrator or give this user access to the device"};
    case plotter::OpenRefusal::Other:
      break;
  }
  return {"other", nullptr};
}

std::string notOpenedLine(const plotter::DeviceNotOpened& device) {
  const char* text = wordsFor(plotter::openRefusalOf(device.error)).text;
  return "device " + std::to_string(device.position) + " could not be opened: " +
         (text != nullptr ? std::string(text) : "error " + hexText(device.error, 1));
}

constexpr const char kSilentQueueLine[] =
    ": its plotter did not answer (switched off, or held by another program or driver?)";

// The real Linux machine lists no device this user may not open: it says there were some.
constexpr const char kNotOpenableLine[] =
    "USB devices of the vendor seen but not openable: permission \u2014 install the udev rule";

JsonObject notesJson(const discovery::DiscoveryNotes& notes, const PlotterMachine& machine) {
  std::vector<JsonObject> notOpened;
  for (const plotter::DeviceNotOpened& device : notes.devicesNotOpened) {
    notOpened.push_back(JsonObject()
                            .add("index", int64_t{device.position})
                            .add("reason", wordsFor(plotter::openRefusalOf(device.error)).reason)
                            .add("error", int64_t{device.error}));
  }
  JsonObject json;
  json.add("driverDevices", int64_t{notes.driverPlotters})
      .add("queues", int64_t{notes.queues})
      .add("queuesOfKnownModel", int64_t{notes.queuesOfKnownModel})
      .add("queuesNotAnswering", static_cast<int64_t>(notes.queuesNotAnswering.size()))
      .add("devicesNotOpened", notOpened);
  if (machine.devicesNotOpenable() > 0) {
    json.add("usbDevicesNotOpenable", int64_t{machine.devicesNotOpenable()});
  }
  if (!machine.printServiceAnswered()) json.add("printService", false);
  return json;
}

int list(const Arguments& args, const Console& console) {
  const bool json = args.has("--json");
  ExitCode code = kExitOk;
  std::string error;
  std::unique_ptr<PlotterMachine> machine = PlotterMachine::open(args, &code, &error);
  if (!machine) return reportError(console, json, kContext, code, error);
  discovery::DiscoveryNotes notes;
  const int count = discovery::discoverPlotters(&notes);
  const discovery::PlotterList& plotters = discovery::plotterList();
  if (json) {
    std::vector<JsonObject> records;
    for (int i = 0; i < count; ++i) records.push_back(recordJson(i, plotters.records[i]));
    JsonObject discovered = notesJson(notes, *machine);
    console.out << JsonObject().add("plotters", records).add("discovery", discovered).text()
                << '\n';
    return kExitOk;
  }
  if (count == 0) console.out << emptyListReason(notes, machine->printServiceAnswered()) << '\n';
  if (count > 0 && !machine->printServiceAnswered()) console.out << kNoPrintService << '\n';
  for (int i = 0; i < count; ++i) writeLine(console.out, i, plotters.records[i]);
  for (const plotter::DeviceNotOpened& device : notes.devicesNotOpened) {
    console.out << notOpenedLine(device) << '\n';
  }
  // An empty list's reason counted them already; beside listed plotters each is named, for the
  // indexes of those after it are not what they were while it answered.
  if (count > 0) {
    for (const std::string& queue : notes.queuesNotAnswering) {
      console.out << "queue " << printable(queue) << kSilentQueueLine << '\n';
    }
  }
  if (machine->devicesNotOpenable() > 0) console.out << kNotOpenableLine << '\n';
  return kExitOk;
}

}  // namespace

extern const Command kListCommand;
const Command kListCommand{
    "list", "the attached plotters, as discovery finds them", kHelp, kOptions, {}, 0, 0, list};

}  // namespace cli
