#include "sim/DriverFace.h"

#include <algorithm>
#include <cstring>

#include "sim/FaceEndpoint.h"
#include "sim/UsbDescriptors.h"
#include "sim/VirtualPlotter.h"
#include "usb/DriverLock.h"
#include "usb/DriverPipes.h"
#include "usb/UsbDriver.h"

namespace sim {
namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;
using Kind = DriverEvent::Kind;

// The control record that carries a request record as its data stage.
constexpr BYTE kJobControlRecord[7] = {0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
using Endpoint = FaceEndpoint<DriverFace, std::optional<BYTE>>;

constexpr IoOutcome kInvalid{ERROR_INVALID_PARAMETER, 0};
constexpr IoOutcome kDone{ERROR_SUCCESS, 0};

// Copies an answer into the output buffer, cut to its length.
IoOutcome answer(const IoRequest& request, const Bytes& bytes) {
  if (!request.output && request.outputLength > 0) return kInvalid;
  DWORD count = std::min<DWORD>(request.outputLength, DWORD(bytes.size()));
  if (count > 0) std::memcpy(request.output, bytes.data(), count);
  return {ERROR_SUCCESS, count};
}

DWORD inputDword(const IoRequest& request) {
  DWORD value;
  std::memcpy(&value, request.input, sizeof value);
  return value;
}

}  // namespace

DriverFace::DriverFace(VirtualPlotter& plotter, bool configured)
    : plotter_(&plotter), configurationValue_(configured ? kConfigurationValue : 0) {}

std::unique_ptr<os::sim::DeviceEndpoint> DriverFace::open(const std::string& subPath, DWORD) {
  if (!plotter_ || plotter_->misbehaviour.openError) return nullptr;
  if (subPath.empty()) return std::make_unique<Endpoint>(shared_from_this(), std::nullopt);
  std::optional<BYTE> address = usb::pipeAddressOf(subPath);
  if (!address || configurationValue_ == 0 || !findEndpoint(plotter_->identity, *address)) {
    return nullptr;
  }
  return std::make_unique<Endpoint>(shared_from_this(), address);
}

DWORD DriverFace::openFailure() const {
  if (!plotter_) return ERROR_FILE_NOT_FOUND;
  return plotter_->misbehaviour.openError.value_or(ERROR_FILE_NOT_FOUND);
}

IoCompletion DriverFace::submit(std::optional<BYTE> pipe, const IoRequest& request) {
  // A plotter that goes away during the request drops the machine's hold on this face.
  std::shared_ptr<DriverFace> self = shared_from_this();
  if (!plotter_) return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  return guarded(pipe ? pipeRequest(*pipe, request) : deviceRequest(request));
}

// A completion that comes later must not reach a plotter that has gone meanwhile; one that
// comes now was decided while the plotter was there.
IoCompletion DriverFace::guarded(IoCompletion completion) {
  if (completion.when != IoCompletion::When::At) return completion;
  completion.finish = [face = shared_from_this(), finish = std::move(completion.finish)] {
    return face->plotter_ ? finish() : IoOutcome{ERROR_DEVICE_NOT_CONNECTED, 0};
  };
  return completion;
}

IoCompletion DriverFace::deviceRequest(const IoRequest& request) {
  if (request.kind != IoRequest::Kind::Control) {
    return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
  }
  switch (request.code) {
    case usb::IOCTL_UDRV_CONTROL_REQUEST:
      return controlRequest(request);
    case usb::IOCTL_UDRV_LOCK:
      return IoCompletion::now(lock(request));
    case usb::IOCTL_UDRV_RESET_DEVICE:
      plotter_->log().add({Kind::DeviceReset, 0, {}});
      plotter_->jobDesk().reset();
      return IoCompletion::now(kDone);
    case usb::IOCTL_UDRV_CYCLE_PORT:
      plotter_->log().add({Kind::PortCycled, 0, {}});
      return IoCompletion::now(kDone);
    default:
      plotter_->log().add(
          {Kind::Setup, request.code, Bytes(request.input, request.input + request.inputLength)});
      return IoCompletion::now(setupRequest(request));
  }
}

IoOutcome DriverFace::setupRequest(const IoRequest& request) {
  switch (request.code) {
    case usb::IOCTL_UDRV_GET_DESCRIPTOR:
      return descriptor(request);
    case usb::IOCTL_UDRV_GET_CONFIGURATION:
      return answer(request, Bytes{configurationValue_});
    case usb::IOCTL_UDRV_SET_CONFIGURATION:
      return setConfiguration(request);
    case usb::IOCTL_UDRV_UNCONFIGURE:
      configurationValue_ = 0;
      return kDone;
    case usb::IOCTL_UDRV_FEATURE:
      return request.inputLength == sizeof(usb::UdrvFeatureRecord) ? kDone : kInvalid;
    case usb::IOCTL_UDRV_GET_STATUS:  // self-powered
      return request.inputLength == 2 ? answer(request, Bytes{0x01, 0x00}) : kInvalid;
    case usb::IOCTL_UDRV_GET_INTERFACE:
    case usb::IOCTL_UDRV_SET_INTERFACE:
      return interfaceRequest(request);
    case usb::IOCTL_UDRV_ATTACH_PIPE:
      return attachPipe(request);
    default:
      return {ERROR_INVALID_FUNCTION, 0};
  }
}

IoOutcome DriverFace::descriptor(const IoRequest& request) {
  if (request.inputLength != sizeof(usb::UdrvDescriptorRequest)) return kInvalid;
  const BYTE* r = request.input;
  const PlotterIdentity& identity = plotter_->identity;
  std::optional<Bytes> bytes;
  switch (r[0]) {
    case usb::USB_DEVICE_DESCRIPTOR_TYPE:
      bytes = deviceDescriptor(identity);
      break;
    case usb::USB_CONFIGURATION_DESCRIPTOR_TYPE:
      if (r[1] == 0) bytes = configurationDescriptor(identity);
      break;
    case usb::USB_STRING_DESCRIPTOR_TYPE:
      bytes = stringDescriptor(identity, r[3]);
      break;
    case usb::USB_INTERFACE_DESCRIPTOR_TYPE:
      if (r[1] == 0) bytes = interfaceDescriptor(identity, r[2], r[3]);
      break;
    case usb::USB_ENDPOINT_DESCRIPTOR_TYPE:
      if (r[1] == 0xFF && r[2] == 0xFF && r[3] == 0xFF) {
        if (configurationValue_ != 0) bytes = endpointDescriptorAt(identity, r[4]);
      } else if (r[1] == 0) {
        bytes = endpointDescriptor(identity, r[2], r[3], r[4]);
      }
      break;
  }
  return bytes ? answer(request, *bytes) : kInvalid;
}

IoOutcome DriverFace::setConfiguration(const IoRequest& request) {
  usb::UdrvConfigurationRecord record;
  if (request.inputLength != sizeof record) return kInvalid;
  std::memcpy(&record, request.input, sizeof record);
  if (record.configurationIndex != 0 || !usb::entryCountFits(record)) return kInvalid;
  configurationValue_ = kConfigurationValue;
  return kDone;
}

// Every interface has alternate setting 0 only.
IoOutcome DriverFace::interfaceRequest(const IoRequest& request) {
  if (request.inputLength != sizeof(usb::UdrvInterfaceEntry)) return kInvalid;
  Bytes entry(request.input, request.input + request.inputLength);
  if (configurationValue_ == 0 || entry[0] >= plotter_->identity.interfaces.size()) {
    return kInvalid;
  }
  if (request.code == usb::IOCTL_UDRV_SET_INTERFACE) return entry[1] == 0 ? kDone : kInvalid;
  entry[1] = 0;
  return answer(request, entry);
}

IoOutcome DriverFace::lock(const IoRequest& request) {
  if (request.inputLength != sizeof(DWORD)) return kInvalid;
  DWORD operation = inputDword(request);
  plotter_->log().add({Kind::Lock, operation, {}});
  // Whatever the channel held is let go when it closes; holding it then is the core's fault.
  if (operation == usb::UDRV_LOCK_CHANNEL_CLOSED && lock_.depth() != 0) {
    plotter_->noteProtocolFault("closed-while-held");
  }
  return {lock_.apply(operation), 0};
}

IoOutcome DriverFace::attachPipe(const IoRequest& request) {
  if (request.inputLength != sizeof(DWORD)) return kInvalid;
  if (plotter_->misbehaviour.attachError) return {*plotter_->misbehaviour.attachError, 0};
  std::optional<BYTE> pipe = usb::pipeOfToken(inputDword(request));
  bool known = pipe && findEndpoint(plotter_->identity, *pipe);
  return known ? kDone : kInvalid;
}

IoCompletion DriverFace::controlRequest(const IoRequest& request) {
  bool job = request.inputLength == sizeof kJobControlRecord &&
             std::memcmp(request.input, kJobControlRecord, sizeof kJobControlRecord) == 0;
  if (!job) {
    plotter_->log().add(
        {Kind::Setup, request.code, Bytes(request.input, request.input + request.inputLength)});
    return IoCompletion::now(kInvalid);
  }
  requireLock();
  return plotter_->jobDesk().takeRequest(request.output, request.outputLength);
}

// The transfer protocol's requests and data are the lock holder's only.
void DriverFace::requireLock() {
  if (lock_.depth() == 0) plotter_->noteProtocolFault("outside-lock");
}

IoCompletion DriverFace::pipeRequest(BYTE address, const IoRequest& request) {
  const EndpointSetup* endpoint = findEndpoint(plotter_->identity, address);
  bool in = (address & 0x80) != 0;
  PlotterJobs& jobs = plotter_->jobDesk();
  switch (request.kind) {
    case IoRequest::Kind::Read:
      if (!in) break;
      requireLock();
      return endpoint->attributes == 3 ? jobs.readStatus(request.output, request.outputLength)
                                       : jobs.readReply(request.output, request.outputLength);
    case IoRequest::Kind::Write:
      if (in) break;
      requireLock();
      return jobs.takeData(request.input, request.inputLength);
    case IoRequest::Kind::Control:
      if (request.code == usb::IOCTL_UDRV_RESET_PIPE) {
        plotter_->log().add({Kind::PipeReset, address, {}});
        return IoCompletion::now(kDone);
      }
      if (request.code == usb::IOCTL_UDRV_GET_PIPE_TOKEN) {
        plotter_->log().add({Kind::Setup, request.code, {address}});
        DWORD token = usb::pipeTokenOf(address);
        const BYTE* raw = reinterpret_cast<const BYTE*>(&token);
        return IoCompletion::now(answer(request, Bytes(raw, raw + sizeof token)));
      }
      break;
  }
  return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
}

}  // namespace sim
