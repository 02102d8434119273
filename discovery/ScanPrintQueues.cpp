// The walk over the installed print queues: each queue is followed to the Plug and Play device
// behind it, recognised by its hardware ID in the model table, and, on a USB printer port, to the
// USB device that carries the printer; the plotter must answer there, and what the model table
// leaves open is asked of it.
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "discovery/CaseInsensitive.h"
#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/ModelTable.h"
#include "discovery/PlotterRecord.h"
#include "discovery/RegistryReads.h"
#include "discovery/SerialText.h"
#include "plotter/CommandExecutor.h"
#include "plotter/CommandTable.h"

namespace discovery {
namespace {

constexpr const char kPrintersKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";

int16_t connectionOfPort(std::string_view port) {
  if (port.starts_with("USB")) return kConnectionPrinter;
  if (port.starts_with("LPT")) return kConnectionParallel;
  return kConnectionOther;
}

std::optional<std::string> queueValue(const std::string& queue, const char* subKey,
                                      const char* value) {
  std::optional<std::string> key = formatKeyPath("%s\\%s%s", kPrintersKey, queue.c_str(), subKey);
  return key ? readRegistryText(*key, value) : std::nullopt;
}

// The model row of a printer device, by the first string of its hardware ID; -1 for none.
int16_t modelRowOfDevice(const std::string& device) {
  std::optional<std::string> enumKey =
      formatKeyPath("SYSTEM\\CurrentControlSet\\Enum\\%s", device.c_str());
  std::optional<std::string> hardwareId =
      enumKey ? readRegistryText(*enumKey, "HardwareID") : std::nullopt;
  if (!hardwareId) return -1;
  size_t slash = hardwareId->find('\\');
  return findModelByHardwareId(slash == std::string::npos
                                   ? std::string_view(*hardwareId)
                                   : std::string_view(*hardwareId).substr(slash + 1));
}

// The part of a device instance ID between its last backslash and its last "&"; nullopt when
// the ID has no such part.
std::optional<std::string> parentPrefixOf(const std::string& deviceId) {
  size_t slash = deviceId.rfind('\\');
  size_t amp = deviceId.rfind('&');
  if (slash == std::string::npos || amp == std::string::npos || amp < slash) return std::nullopt;
  return deviceId.substr(slash + 1, amp - slash - 1);
}

// The name of the USB device instance of the model whose ParentIdPrefix is the prefix.
std::optional<std::string> findUsbInstance(const ModelEntry& model, const char* prefix) {
  std::optional<std::string> usbKey = formatKeyPath(
      "SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_%04x&Pid_%04x", model.vendorId, model.productId);
  std::optional<std::vector<std::string>> instances =
      usbKey ? readSubkeyNames(*usbKey) : std::nullopt;
  if (!instances) return std::nullopt;
  for (const std::string& instance : *instances) {
    if (instance.empty()) continue;
    std::optional<std::string> key = formatKeyPath("%s\\%s", usbKey->c_str(), instance.c_str());
    std::optional<std::string> parent =
        key ? readRegistryText(*key, "ParentIdPrefix") : std::nullopt;
    if (parent && equalIgnoringCase(*parent, prefix)) return instance;
  }
  return std::nullopt;
}

// Size class from a firmware reply: 0 when it names no size.
int16_t sizeClassOfFirmware(std::string_view reply) {
  auto has = [reply](std::string_view part) { return reply.find(part) != std::string_view::npos; };
  if (has("KR A4") || has("BASIC")) return 4;
  if (has("A4")) return 2;
  if (has("A3")) return 1;
  return 0;
}

// Runs a query of the plotter in the candidate's slot after draining what it still holds.
bool askAfterDraining(int16_t slot, int32_t code, std::string& reply) {
  plotter::drainReplies(slot);
  return plotter::executeCommand(slot, code, reply);
}

// Kind and size class where the model row leaves them to the plotter, then its serial; false
// when the plotter does not tell what the row leaves open.
bool askWhatTheModelLeavesOpen(int16_t slot, PlotterRecord& candidate) {
  std::string reply;
  if (candidate.kind == 0) {
    if (!askAfterDraining(slot, plotter::kToolInfo, reply)) return false;
    candidate.kind = reply.starts_with("P") ? 1 : reply.starts_with("G") ? 2 : 0;
  }
  if (candidate.sizeClass == 0) {
    if (!askAfterDraining(slot, plotter::kFirmware, reply)) return false;
    candidate.sizeClass = sizeClassOfFirmware(reply);
    if (candidate.sizeClass == 0) return false;
  }
  if (askAfterDraining(slot, plotter::kGetSerialNumber, reply)) {
    if (std::optional<std::string> serial = serialTextFromReply(reply)) {
      setRecordText(candidate.serial, *serial);
    }
  }
  return true;
}

// Completes a USB printer-port candidate from the registry and the plotter; false when it is
// given up.
bool completeUsbCandidate(int16_t slot, PlotterRecord& candidate, const std::string& device,
                          DiscoveryNotes* notes) {
  std::optional<std::string> prefix = parentPrefixOf(device);
  if (!prefix) return false;
  setRecordText(candidate.parentPrefix, *prefix);
  std::optional<std::string> instance =
      findUsbInstance(modelTable()[candidate.modelRow], candidate.parentPrefix);
  if (!instance) return false;
  setRecordText(candidate.instanceText, *instance);
  std::string scratch;
  if (!plotter::executeCommand(slot, currentEditionFacts().queryOnlineCode, scratch)) {
    if (notes != nullptr) notes->queuesNotAnswering.push_back(recordText(candidate.name));
    return false;
  }
  return askWhatTheModelLeavesOpen(slot, candidate);
}

// Builds the candidate for one queue in the slot after the last entry; true to commit it.
bool examineQueue(const std::string& queue, DiscoveryNotes* notes) {
  std::optional<std::string> device = queueValue(queue, "\\PnPData", "DeviceInstanceID");
  if (!device) return false;
  int16_t row = modelRowOfDevice(*device);
  if (row < 0) return false;
  if (notes != nullptr) ++notes->queuesOfKnownModel;
  const int16_t slot = plotterList().count;
  PlotterRecord& candidate = plotterList().records[slot];
  candidate = PlotterRecord{};  // nothing of an earlier plotter shows for this one
  const ModelEntry& model = modelTable()[row];
  setRecordText(candidate.name, queue);
  candidate.sizeClass = model.sizeClass;
  candidate.kind = model.kind;
  candidate.brand = model.brand;
  candidate.modelRow = row;
  std::optional<std::string> port = queueValue(queue, "", "Port");
  if (!port) return false;
  setRecordText(candidate.port, *port);
  candidate.connection = connectionOfPort(candidate.port);
  if (candidate.connection != kConnectionPrinter) return true;
  return completeUsbCandidate(slot, candidate, *device, notes);
}

}  // namespace

void scanPrintQueues(DiscoveryNotes* notes) {
  std::optional<std::vector<std::string>> queues = readSubkeyNames(kPrintersKey);
  if (!queues) return;
  PlotterList& list = plotterList();
  for (const std::string& queue : *queues) {
    if (list.count >= kPlotterListCapacity) return;
    if (queue.empty()) continue;
    if (notes != nullptr) ++notes->queues;
    if (examineQueue(queue, notes)) ++list.count;
  }
}

}  // namespace discovery
