#include "plotter/CommandExecutor.h"

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "discovery/ModelTable.h"
#include "discovery/PlotterRecord.h"
#include "os/Handles.h"
#include "plotter/CommandMethods.h"
#include "plotter/CommandTable.h"
#include "usb/UsbPrintClass.h"

namespace plotter {
namespace {

// A plotter that answers every dummy command at once would keep the drain going for ever.
constexpr int kMaxDrainRounds = 64;

// Discovery runs commands on the candidate it is filling, which lies beyond the count, so any
// slot of the list is addressable.
discovery::PlotterRecord* recordAt(int16_t plotterRow) {
  if (plotterRow < 0 || plotterRow >= discovery::kPlotterListCapacity) return nullptr;
  return &discovery::plotterList().records[plotterRow];
}

const discovery::ModelEntry* modelOf(const discovery::PlotterRecord& record) {
  if (record.modelRow < 0 || record.modelRow >= discovery::kModelTableSize) return nullptr;
  return &discovery::modelTable()[record.modelRow];
}

// Interface paths carry the instance in lower case; the record's text is made so in place.
std::string matchPattern(const discovery::ModelEntry& model, discovery::PlotterRecord& record) {
  size_t length = strnlen(record.instanceText, discovery::kRecordTextSize - 1);
  record.instanceText[length] = '\0';
  for (size_t i = 0; i < length; ++i) {
    auto c = static_cast<unsigned char>(record.instanceText[i]);
    record.instanceText[i] = static_cast<char>(std::tolower(c));
  }
  char pattern[64 + discovery::kRecordTextSize];
  std::snprintf(pattern, sizeof pattern, "\\\\?\\usb#vid_%04x&pid_%04x#%s", model.vendorId,
                model.productId, record.instanceText);
  return pattern;
}

// The device path of an interface of the list; nothing when its detail cannot be read.
std::optional<std::string> interfacePath(HDEVINFO list, SP_DEVICE_INTERFACE_DATA& data) {
  DWORD size = 0;
  os::SetupDiGetDeviceInterfaceDetailA(list, &data, nullptr, 0, &size, nullptr);
  if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return std::nullopt;
  std::vector<BYTE> block(size);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!os::SetupDiGetDeviceInterfaceDetailA(list, &data, detail, size, nullptr, nullptr)) {
    return std::nullopt;
  }
  size_t room = size - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  return std::string(detail->DevicePath, strnlen(detail->DevicePath, room));
}

bool runCommand(const CommandEntry& entry, std::string_view devicePath, std::string& text) {
  switch (entry.method) {
    case PipeExchange:
      return runPipeExchange(entry, devicePath, text);
    case LptStatus:
      return runLptStatus(devicePath);
    case VendorGet:
      return runVendorGet(entry, devicePath, text);
    case VendorSet:
      return runVendorSet(entry, devicePath);
  }
  return false;
}

// Runs the command on every present printer interface whose path holds the pattern; the last
// one's outcome counts.
bool runOnMatchingInterfaces(const CommandEntry& entry, const std::string& pattern,
                             std::string& text) {
  os::UniqueDevInfo list(os::SetupDiGetClassDevsA(&usb::GUID_DEVINTERFACE_USBPRINT, nullptr,
                                                  nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!list) return false;
  bool result = false;
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  for (DWORD index = 0; os::SetupDiEnumDeviceInterfaces(
           list.get(), nullptr, &usb::GUID_DEVINTERFACE_USBPRINT, index, &data);
       ++index) {
    std::optional<std::string> path = interfacePath(list.get(), data);
    if (!path) return false;
    if (path->find(pattern) != std::string::npos) result = runCommand(entry, *path, text);
  }
  return result;
}

}  // namespace

bool executeCommand(int16_t plotterRow, int32_t code, std::string& text) {
  discovery::PlotterRecord* record = recordAt(plotterRow);
  const discovery::ModelEntry* model = record ? modelOf(*record) : nullptr;
  if (!model) return false;
  const CommandEntry* entry =
      findCommand(commandTable(model->commandTableSelector, discovery::currentEdition()), code);
  if (!entry) return false;
  return runOnMatchingInterfaces(*entry, matchPattern(*model, *record), text);
}

void drainReplies(int16_t plotterRow) {
  discovery::PlotterRecord* record = recordAt(plotterRow);
  const discovery::ModelEntry* model = record ? modelOf(*record) : nullptr;
  if (!model || model->commandTableSelector != 0) return;
  std::string scratch;
  for (int round = 0; round < kMaxDrainRounds; ++round) {
    if (!executeCommand(plotterRow, kDummyCommand, scratch)) return;
  }
}

}  // namespace plotter
