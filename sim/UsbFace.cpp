#include "sim/UsbFace.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <utility>

#include "sim/DriverFace.h"
#include "sim/PrintClassFace.h"
#include "usb/UsbApi.h"
#include "usb/UsbDriver.h"
#include "usb/UsbPrintClass.h"

namespace sim {
namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;

constexpr uint32_t kSetupLength = 8;
constexpr BYTE kRequestTypeMask = 0x60;
constexpr BYTE kStandard = 0x00;
constexpr BYTE kClass = 0x20;
constexpr BYTE kVendor = 0x40;
// Standard requests (USB 2.0, 9.4).
constexpr BYTE kGetStatus = 0;
constexpr BYTE kClearFeature = 1;
constexpr BYTE kSetFeature = 3;
constexpr BYTE kGetDescriptor = 6;
constexpr BYTE kGetConfiguration = 8;
constexpr BYTE kSetConfiguration = 9;
constexpr BYTE kSetInterface = 11;
constexpr WORD kEndpointHalt = 0;

InterfaceSetup printerInterface() { return {7, 1, 2, {{0x81, 2, 512, 0}, {0x02, 2, 512, 0}}}; }

// How usbfs would report a transfer that the face ended with this Windows error.
int urbStatus(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_DEVICE_NOT_CONNECTED: return -ENODEV;
    case ERROR_OPERATION_ABORTED: return -ENOENT;
    case kBulkInOverrunError: return -EOVERFLOW;
    case ERROR_INVALID_PARAMETER:  // what a device cannot take, it stalls
    case ERROR_INVALID_FUNCTION: return -EPIPE;
    default: return -EPROTO;
  }
}

int openStatus(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION: return -EBUSY;
    case ERROR_ACCESS_DENIED: return -EACCES;
    default: return -ENODEV;
  }
}

usb::ControlSetup setupOf(const BYTE* b) {
  return {b[0], b[1], WORD(b[2] | b[3] << 8), WORD(b[4] | b[5] << 8), WORD(b[6] | b[7] << 8)};
}

std::string pipePath(BYTE address, bool printer) {
  if (!printer) return std::to_string(address);
  return address == 0x02 ? "PIPE02" : address == 0x81 ? "PIPE129" : std::string();
}

// "VelkorP-Series_34e97" names the model "P-Series 3": Windows makes a printer's hardware ID of
// maker and model, spaces as '_', and four hex digits of checksum.
std::string modelOf(std::string text) {
  if (text.rfind("Velkor", 0) == 0) text.erase(0, 6);
  if (text.size() > 4 && std::all_of(text.end() - 4, text.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    text.resize(text.size() - 4);
  }
  std::replace(text.begin(), text.end(), '_', ' ');
  return text;
}

// The descriptor GET_DESCRIPTOR asks for by wValue (type, index); none for anything else.
std::optional<Bytes> descriptorFor(const PlotterIdentity& identity, WORD value) {
  const BYTE type = BYTE(value >> 8), index = BYTE(value);
  if (type == usb::USB_DEVICE_DESCRIPTOR_TYPE) return deviceDescriptor(identity);
  if (type == usb::USB_CONFIGURATION_DESCRIPTOR_TYPE && index == 0) {
    return configurationDescriptor(identity);
  }
  if (type == usb::USB_STRING_DESCRIPTOR_TYPE) return stringDescriptor(identity, index);
  return std::nullopt;
}

}  // namespace

std::string printerDeviceId(const VirtualPlotter& plotter, const std::string& model) {
  std::string name = model.empty() ? plotter.state.platformName : modelOf(model);
  return "MFG:Velkor;MDL:" + name + ";CMD:VKESC;CLS:PRINTER;DES:Velkor " + name +
         ";SN:" + plotter.state.serialNumber + ";";
}

struct UsbFace::Endpoints {
  std::unique_ptr<os::sim::DeviceEndpoint> device;
  std::map<BYTE, std::unique_ptr<os::sim::DeviceEndpoint>> pipes;
};

// A transfer the face has not ended yet, with what its request points to.
struct UsbFace::Pending {
  UsbTransfer transfer;
  Bytes input;
  IoRequest request;
  bool awaitingData = false;  // an IN transfer not yet handed to the face
  std::optional<Clock::time_point> due;
  IoCompletion completion = IoCompletion::never();
};

UsbFace::UsbFace(VirtualPlotter& plotter, std::string model)
    : plotter_(plotter), model_(std::move(model)), identity_(plotter.identity),
      endpoints_(std::make_unique<Endpoints>()) {
  if (printer()) {
    identity_.interfaces = {printerInterface()};
    face_ = plotter.printFace();
  } else {
    face_ = plotter.driverFace();
  }
}

UsbFace::~UsbFace() {
  pending_.clear();  // before the endpoints their completions may refer to
  if (!gone() && !printer() && claimed_ != 0) {
    deviceIoctl(usb::IOCTL_UDRV_LOCK, {usb::UDRV_LOCK_RELEASE, 0, 0, 0}, nullptr, 0, nullptr);
  }
}

Bytes UsbFace::descriptors() const {
  Bytes bytes = deviceDescriptor(identity_);
  Bytes configuration = configurationDescriptor(identity_);
  bytes.insert(bytes.end(), configuration.begin(), configuration.end());
  return bytes;
}

bool UsbFace::gone() const {
  if (unplugged_ || !face_) return true;
  std::shared_ptr<os::sim::SimDevice> now;
  if (printer()) {
    now = plotter_.printFace();
  } else {
    now = plotter_.driverFace();
  }
  return now != face_;
}

// --- Requests that end at once -------------------------------------------------------------

// A device ioctl that the face ends at once; the driver's setup requests all do.
int UsbFace::deviceIoctl(DWORD code, const Bytes& input, BYTE* output, DWORD outputLength,
                         IoOutcome* outcome) {
  if (gone()) return -ENODEV;
  if (!endpoints_->device) endpoints_->device = face_->open("", GENERIC_READ | GENERIC_WRITE);
  if (!endpoints_->device) return openStatus(face_->openFailure());
  IoRequest request{IoRequest::Kind::Control, code, input.data(), DWORD(input.size()), output,
                    outputLength};
  IoCompletion completion = endpoints_->device->submit(request);
  if (completion.when != IoCompletion::When::Now) return -EPROTO;
  IoOutcome result = completion.finish();
  if (outcome) *outcome = result;
  return urbStatus(result.error);
}

int UsbFace::claimInterface(unsigned interfaceNumber) {
  if (gone()) return -ENODEV;
  if (interfaceNumber >= identity_.interfaces.size()) return -EINVAL;
  const unsigned bit = 1u << interfaceNumber;
  if (claimed_ & bit) return 0;
  if (!endpoints_->device) endpoints_->device = face_->open("", GENERIC_READ | GENERIC_WRITE);
  if (!endpoints_->device) return openStatus(face_->openFailure());
  if (!printer() && claimed_ == 0) {
    int status = deviceIoctl(usb::IOCTL_UDRV_LOCK, {usb::UDRV_LOCK_TAKE, 0, 0, 0}, nullptr, 0,
                             nullptr);
    if (status != 0) return status;
  }
  claimed_ |= bit;
  return 0;
}

int UsbFace::releaseInterface(unsigned interfaceNumber) {
  if (interfaceNumber >= identity_.interfaces.size()) return -EINVAL;
  const unsigned bit = 1u << interfaceNumber;
  if (!(claimed_ & bit)) return -EINVAL;
  claimed_ &= ~bit;
  if (gone()) return -ENODEV;
  if (printer() || claimed_ != 0) return 0;
  return deviceIoctl(usb::IOCTL_UDRV_LOCK, {usb::UDRV_LOCK_RELEASE, 0, 0, 0}, nullptr, 0, nullptr);
}

int UsbFace::setConfiguration(int value) {
  if (gone()) return -ENODEV;
  if (value != 0 && value != kConfigurationValue) return -EINVAL;
  if (printer()) return 0;
  if (value == 0) return deviceIoctl(usb::IOCTL_UDRV_UNCONFIGURE, {}, nullptr, 0, nullptr);
  usb::UdrvConfigurationRecord record{};
  record.entryCount = 0xFFFFFFFF;  // every interface in its first setting
  const BYTE* raw = reinterpret_cast<const BYTE*>(&record);
  return deviceIoctl(usb::IOCTL_UDRV_SET_CONFIGURATION, Bytes(raw, raw + sizeof record), nullptr,
                     0, nullptr);
}

int UsbFace::setInterface(unsigned interfaceNumber, unsigned alternateSetting) {
  if (gone()) return -ENODEV;
  if (printer()) {
    return interfaceNumber < identity_.interfaces.size() && alternateSetting == 0 ? 0 : -EINVAL;
  }
  usb::UdrvInterfaceEntry entry{BYTE(interfaceNumber), BYTE(alternateSetting), 0};
  const BYTE* raw = reinterpret_cast<const BYTE*>(&entry);
  int status = deviceIoctl(usb::IOCTL_UDRV_SET_INTERFACE, Bytes(raw, raw + sizeof entry), nullptr,
                           0, nullptr);
  return status == -EPIPE ? -EINVAL : status;
}

int UsbFace::clearHalt(BYTE endpoint) {
  if (gone()) return -ENODEV;
  os::sim::DeviceEndpoint* pipe = endpointFor(endpoint);
  if (!pipe) return -ENOENT;
  if (printer()) return 0;
  IoRequest request{IoRequest::Kind::Control, usb::IOCTL_UDRV_RESET_PIPE, nullptr, 0, nullptr, 0};
  IoCompletion completion = pipe->submit(request);
  return completion.when == IoCompletion::When::Now ? urbStatus(completion.finish().error) : 0;
}

int UsbFace::reset() {
  if (gone()) return -ENODEV;
  if (printer()) return 0;
  return deviceIoctl(usb::IOCTL_UDRV_RESET_DEVICE, {}, nullptr, 0, nullptr);
}

// --- Transfers -----------------------------------------------------------------------------

os::sim::DeviceEndpoint* UsbFace::endpointFor(BYTE endpoint) {
  if (!findEndpoint(identity_, endpoint)) return nullptr;
  auto found = endpoints_->pipes.find(endpoint);
  if (found != endpoints_->pipes.end()) return found->second.get();
  std::unique_ptr<os::sim::DeviceEndpoint> pipe =
      face_->open(pipePath(endpoint, printer()), GENERIC_READ | GENERIC_WRITE);
  if (!pipe) return nullptr;
  return (endpoints_->pipes[endpoint] = std::move(pipe)).get();
}

int UsbFace::submit(const UsbTransfer& transfer) {
  if (gone()) return -ENODEV;
  if (pending_.count(transfer.tag) != 0 || (!transfer.buffer && transfer.length > 0)) {
    return -EINVAL;
  }
  if (transfer.type == UsbTransfer::Type::Control) return controlTransfer(transfer);
  return pipeTransfer(transfer);
}

int UsbFace::pipeTransfer(const UsbTransfer& transfer) {
  const EndpointSetup* setup = findEndpoint(identity_, transfer.endpoint);
  const BYTE attributes = transfer.type == UsbTransfer::Type::Interrupt ? 3 : 2;
  if (!setup || setup->attributes != attributes) return -ENOENT;
  os::sim::DeviceEndpoint* pipe = endpointFor(transfer.endpoint);
  if (!pipe) return -ENOENT;
  auto pending = std::make_unique<Pending>();
  pending->transfer = transfer;
  if (transfer.endpoint & 0x80) {
    pending->request = {IoRequest::Kind::Read, 0, nullptr, 0, transfer.buffer, transfer.length};
    pending->awaitingData = true;
    Pending& waiting = *(pending_[transfer.tag] = std::move(pending));
    start(waiting);
    return 0;
  }
  pending->request = {IoRequest::Kind::Write, 0, transfer.buffer, transfer.length, nullptr, 0};
  IoCompletion completion = pipe->submit(pending->request);
  pending->completion = std::move(completion);
  Pending& taken = *(pending_[transfer.tag] = std::move(pending));
  start(taken);
  return 0;
}

bool UsbFace::inWaiting(BYTE endpoint) const {
  if (printer()) {
    std::shared_ptr<PrintClassFace> face = plotter_.printFace();
    return face && face->replyWaiting();
  }
  const EndpointSetup* setup = findEndpoint(identity_, endpoint);
  if (!setup) return false;
  return setup->attributes == 3 ? plotter_.jobs().statusWaiting() : plotter_.jobs().replyWaiting();
}

// Hands an IN transfer to the face once there is something to read, and sets when what the
// face took ends.
void UsbFace::start(Pending& pending) {
  if (pending.awaitingData) {
    if (!inWaiting(pending.transfer.endpoint)) return;
    pending.awaitingData = false;
    pending.completion = endpointFor(pending.transfer.endpoint)->submit(pending.request);
  }
  switch (pending.completion.when) {
    case IoCompletion::When::Now:
      finish(pending, pending.completion.finish());
      return;
    case IoCompletion::When::At:
      pending.due = Clock::now() + std::chrono::milliseconds(pending.completion.at);
      return;
    default:  // ended only by a discard or by the device leaving
      return;
  }
}

void UsbFace::finish(Pending& pending, IoOutcome outcome) {
  if (outcome.error == USBERR_TIMEOUT) {  // a device that never answers
    pending.due.reset();
    pending.completion = IoCompletion::never();
    return;
  }
  uint32_t length = outcome.error == ERROR_SUCCESS || outcome.error == kBulkInOverrunError
                        ? outcome.bytes
                        : 0;
  ended_.push_back({pending.transfer.tag, urbStatus(outcome.error), length});
  pending_.erase(pending.transfer.tag);
}

int UsbFace::endNow(const UsbTransfer& transfer, int status, uint32_t length) {
  ended_.push_back({transfer.tag, status, length});
  return 0;  // taken: the transfer has ended, however it went
}

bool UsbFace::discard(uint64_t tag) {
  auto found = pending_.find(tag);
  if (found == pending_.end()) return false;
  // A read the face never saw is logged as one cancelled, as the face logs its own on CancelIo.
  if (found->second->awaitingData && printer() && !gone()) plotter_.printFace()->logRead(0);
  pending_.erase(found);  // a face's note of the request goes with it, as on CancelIo
  ended_.push_back({tag, -ENOENT, 0});
  return true;
}

std::vector<UsbTransferEnd> UsbFace::ended() {
  const Clock::time_point now = Clock::now();
  std::vector<Pending*> due;
  for (auto& [tag, pending] : pending_) {
    if (pending->awaitingData || (pending->due && *pending->due <= now)) due.push_back(pending.get());
  }
  for (Pending* pending : due) {
    if (pending->awaitingData) {
      start(*pending);
    } else {
      finish(*pending, pending->completion.finish());
    }
  }
  if (!unplugged_ && gone()) unplugged();
  return std::exchange(ended_, {});
}

std::optional<UsbFace::Clock::time_point> UsbFace::nextDeadline() const {
  std::optional<Clock::time_point> next;
  for (const auto& [tag, pending] : pending_) {
    if (pending->due && (!next || *pending->due < *next)) next = pending->due;
  }
  return next;
}

void UsbFace::unplugged() {
  unplugged_ = true;
  for (const auto& [tag, pending] : pending_) ended_.push_back({tag, -ENODEV, 0});
  pending_.clear();
}

// --- Control transfers ---------------------------------------------------------------------

int UsbFace::controlTransfer(const UsbTransfer& transfer) {
  if (transfer.length < kSetupLength) return -EINVAL;
  usb::ControlSetup setup = setupOf(transfer.buffer);
  if (setup.length > transfer.length - kSetupLength) return -EINVAL;
  switch (setup.requestType & kRequestTypeMask) {
    case kStandard: return standardRequest(transfer, setup);
    case kClass: return printerClassRequest(transfer, setup);
    case kVendor: return vendorRequest(transfer, setup);
    default: return endNow(transfer, -EPIPE, 0);
  }
}

int UsbFace::standardRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup) {
  BYTE* data = transfer.buffer + kSetupLength;
  auto reply = [&](const std::optional<Bytes>& bytes) {
    if (!bytes) return endNow(transfer, -EPIPE, 0);
    uint32_t count = std::min<uint32_t>(setup.length, uint32_t(bytes->size()));
    std::memcpy(data, bytes->data(), count);
    return endNow(transfer, 0, count);
  };
  auto status = [&](int result) { return endNow(transfer, result, 0); };
  const BYTE recipient = setup.requestType & 0x1F;
  switch (setup.request) {
    case kGetDescriptor: return reply(descriptorFor(identity_, setup.value));
    case kGetConfiguration: {
      if (printer()) return reply(Bytes{kConfigurationValue});
      BYTE value = 0;
      int result = deviceIoctl(usb::IOCTL_UDRV_GET_CONFIGURATION, {}, &value, 1, nullptr);
      return result != 0 ? status(result) : reply(Bytes{value});
    }
    case kSetConfiguration: return status(setConfiguration(setup.value));
    case kSetInterface: return status(setInterface(setup.index, setup.value));
    case kGetStatus: return reply(Bytes{BYTE(recipient == 0 ? 0x01 : 0x00), 0x00});  // self-powered
    case kClearFeature:
    case kSetFeature: {
      const bool halt = recipient == 2 && setup.value == kEndpointHalt;
      return status(halt && setup.request == kClearFeature ? clearHalt(BYTE(setup.index)) : 0);
    }
    default: return status(-EPIPE);
  }
}

// Takes what a face made of a control transfer's request.
void UsbFace::take(const UsbTransfer& transfer, IoCompletion completion) {
  auto pending = std::make_unique<Pending>();
  pending->transfer = transfer;
  pending->completion = std::move(completion);
  Pending& taken = *(pending_[transfer.tag] = std::move(pending));
  start(taken);
}

int UsbFace::vendorRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup) {
  if (!endpoints_->device) endpoints_->device = face_->open("", GENERIC_READ | GENERIC_WRITE);
  if (!endpoints_->device) return openStatus(face_->openFailure());
  auto pending = std::make_unique<Pending>();
  pending->transfer = transfer;
  BYTE* data = transfer.buffer + kSetupLength;
  DWORD code;
  if (printer()) {
    if (setup.requestType != 0x41 && setup.requestType != 0xC1) return endNow(transfer, -EPIPE, 0);
    const size_t carried = setup.deviceToHost() ? 0 : setup.length;
    pending->input.resize(3 + carried);
    pending->input[0] = setup.request;
    pending->input[1] = BYTE(setup.value >> 8);
    pending->input[2] = BYTE(setup.value);
    if (carried > 0) std::memcpy(pending->input.data() + 3, data, carried);
    code = setup.deviceToHost() ? usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND
                                : usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND;
  } else {
    std::optional<usb::UdrvControlRecord> record = usb::controlRecordFor(setup);
    if (!record) return endNow(transfer, -EPIPE, 0);
    const BYTE* raw = reinterpret_cast<const BYTE*>(&*record);
    pending->input.assign(raw, raw + sizeof *record);
    code = usb::IOCTL_UDRV_CONTROL_REQUEST;
  }
  const bool dataOut = printer() ? setup.deviceToHost() : true;  // the driver's is out-direct
  pending->request = {IoRequest::Kind::Control, code, pending->input.data(),
                      DWORD(pending->input.size()), dataOut ? data : nullptr,
                      dataOut ? DWORD(setup.length) : 0};
  pending->completion = endpoints_->device->submit(pending->request);
  Pending& taken = *(pending_[transfer.tag] = std::move(pending));
  start(taken);
  return 0;
}

int UsbFace::printerClassRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup) {
  if (!printer() || setup.requestType != 0xA1) {
    if (printer() && setup.requestType == 0x21 && setup.request == kPrinterSoftReset) {
      return endNow(transfer, 0, 0);
    }
    return endNow(transfer, -EPIPE, 0);
  }
  BYTE* data = transfer.buffer + kSetupLength;
  if (setup.request == kPrinterGetDeviceId) {
    std::string id = printerDeviceId(plotter_, model_);
    Bytes bytes{BYTE((id.size() + 2) >> 8), BYTE(id.size() + 2)};
    bytes.insert(bytes.end(), id.begin(), id.end());
    uint32_t count = std::min<uint32_t>(setup.length, uint32_t(bytes.size()));
    std::memcpy(data, bytes.data(), count);
    return endNow(transfer, 0, count);
  }
  if (setup.request != kPrinterGetPortStatus) return endNow(transfer, -EPIPE, 0);
  if (!endpoints_->device) endpoints_->device = face_->open("", GENERIC_READ | GENERIC_WRITE);
  if (!endpoints_->device) return openStatus(face_->openFailure());
  IoRequest request{IoRequest::Kind::Control, usb::IOCTL_USBPRINT_GET_LPT_STATUS, nullptr, 0,
                    data, setup.length};
  take(transfer, endpoints_->device->submit(request));
  return 0;
}

}  // namespace sim
