// The command executor reads what a plotter on the printing-class connection sends: the
// header transfer, the payload transfer and a vendor request's output. Any bytes give a reply
// within its bounds or a failure that leaves the caller's text as it was, never a crash, and
// every handle is closed again.
//
// Input: byte 0 chooses the command (bits 0-3: code, bit 4: vendor-request table, bit 5: the
// update-only edition, bit 6: the device reports more bytes than the buffer holds); byte 1 the
// header transfer's size (mod 65); then the header's bytes; the rest is the payload, which is
// also a vendor request's output.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "discovery/Edition.h"
#include "discovery/ModelTable.h"
#include "discovery/PlotterRecord.h"
#include "os/sim/SimMachine.h"
#include "plotter/CommandExecutor.h"
#include "usb/UsbPrintClass.h"

namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;

struct Script {
  std::string header;
  std::string payload;
  bool overstates = false;  // reports the whole data even where the buffer is smaller
  int reads = 0;
};

IoOutcome deliver(const IoRequest& request, const std::string& data, bool overstates) {
  DWORD count = std::min(static_cast<DWORD>(data.size()), request.outputLength);
  if (count) std::memcpy(request.output, data.data(), count);
  return {ERROR_SUCCESS, overstates ? static_cast<DWORD>(data.size()) : count};
}

class Endpoint : public os::sim::DeviceEndpoint {
 public:
  explicit Endpoint(Script& script) : script_(script) {}
  IoCompletion submit(const IoRequest& request) override {
    if (request.kind == IoRequest::Kind::Write) {
      return IoCompletion::now({ERROR_SUCCESS, request.inputLength});
    }
    if (request.kind == IoRequest::Kind::Control) {
      if (request.code != usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND) return IoCompletion::now({});
      return IoCompletion::now(deliver(request, script_.payload, script_.overstates));
    }
    int read = script_.reads++;
    if (read > 1) return IoCompletion::never();
    const std::string& data = read == 0 ? script_.header : script_.payload;
    return IoCompletion::after(
        1, [request, &data, this] { return deliver(request, data, script_.overstates); });
  }

 private:
  Script& script_;
};

class ScriptedPrinter : public os::sim::SimDevice {
 public:
  Script script;
  std::unique_ptr<os::sim::DeviceEndpoint> open(const std::string&, DWORD) override {
    return std::make_unique<Endpoint>(script);
  }
};

constexpr int16_t kEscapeModel = 0;
constexpr int16_t kVendorRequestModel = 2;

void fillRecord(int16_t modelRow) {
  discovery::PlotterList& list = discovery::plotterList();
  list.count = 1;
  list.selected = 0;
  discovery::PlotterRecord& record = list.records[0];
  record.connection = discovery::kConnectionPrinter;
  record.modelRow = modelRow;
  discovery::setRecordText(record.instanceText, "FZ0001");
}

std::string devicePath(int16_t modelRow) {
  const discovery::ModelEntry& model = discovery::modelTable()[modelRow];
  char ids[32];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", model.vendorId, model.productId);
  return std::string("\\\\?\\usb#") + ids + "#fz0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t choice = data[0];
  const size_t headerSize = std::min<size_t>(data[1] % 65, size - 2);
  const int16_t modelRow = (choice & 0x10) ? kVendorRequestModel : kEscapeModel;
  discovery::setEdition((choice & 0x20) ? discovery::Edition::UpdateOnly
                                        : discovery::Edition::Full);
  auto printer = std::make_shared<ScriptedPrinter>();
  const char* bytes = reinterpret_cast<const char*>(data);
  printer->script.header.assign(bytes + 2, headerSize);
  printer->script.payload.assign(bytes + 2 + headerSize, size - 2 - headerSize);
  printer->script.overstates = (choice & 0x40) != 0;

  os::sim::SimMachine machine;
  os::ScopedPlatform platform(machine);
  machine.addDeviceInterface(usb::GUID_DEVINTERFACE_USBPRINT, devicePath(modelRow), printer);
  fillRecord(modelRow);
  const std::string before = "unchanged";
  std::string text = before;
  bool done = plotter::executeCommand(0, choice & 0x0F, text);
  if (done ? text.size() > 512 : text != before) std::abort();
  if (machine.openHandleCount() != 0) std::abort();
  return 0;
}
