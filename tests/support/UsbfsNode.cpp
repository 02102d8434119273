#include "tests/support/UsbfsNode.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace velkor::test {
namespace {

using Clock = UsbfsNode::Clock;

// A REAPURBNDELAY with nothing to reap is held this long before it answers EAGAIN: libusb polls
// a file that is always ready under umockdev, and would otherwise ask again at once, for ever.
constexpr auto kReapHold = std::chrono::milliseconds(20);

usbdevfs_urb* urbOf(UMockdevIoctlData* data) {
  return reinterpret_cast<usbdevfs_urb*>(data->data);
}

uint64_t argValue(UMockdevIoctlClient* client) {
  uint64_t value = 0;
  std::memcpy(&value, umockdev_ioctl_client_get_arg(client)->data, sizeof value);
  return value;
}

std::optional<sim::UsbTransfer::Type> transferType(unsigned char urbType) {
  switch (urbType) {
    case USBDEVFS_URB_TYPE_CONTROL: return sim::UsbTransfer::Type::Control;
    case USBDEVFS_URB_TYPE_BULK: return sim::UsbTransfer::Type::Bulk;
    case USBDEVFS_URB_TYPE_INTERRUPT: return sim::UsbTransfer::Type::Interrupt;
    default: return std::nullopt;
  }
}

void completeWith(UMockdevIoctlClient* client, int status) {
  umockdev_ioctl_client_complete(client, status < 0 ? -1 : status, status < 0 ? -status : 0);
}

// The unsigned int an ioctl's argument points to.
std::optional<unsigned> numberArg(UMockdevIoctlClient* client) {
  GObjectPtr<UMockdevIoctlData> data =
      resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(unsigned));
  if (!data) return std::nullopt;
  unsigned value;
  std::memcpy(&value, data->data, sizeof value);
  return value;
}

}  // namespace

// The requests by kind, below answerIoctl.
static int settingRequest(UsbfsNode& device, UMockdevIoctlClient* client, unsigned long request);
static int claim(UsbfsNode& device, UMockdevIoctlClient* client, unsigned interfaceNumber);
static void driverIoctl(UsbfsNode& device, UMockdevIoctlClient* client);
static void submitUrb(UsbfsNode& device, UMockdevIoctlClient* client);
static void reapUrb(UsbfsNode& device, UMockdevIoctlClient* client, bool wait);
static void discardUrb(UsbfsNode& device, UMockdevIoctlClient* client);
static void control(UsbfsNode& device, UMockdevIoctlClient* client);
static void controlEnded(UsbfsNode& device, const sim::UsbTransferEnd& end);
static void expireControls(UsbfsNode& device);
static void ended(UsbfsNode::Urb& urb);

bool answerIoctl(UsbfsNode& device, UMockdevIoctlClient* client, unsigned long request) {
  const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
  if (!device.present && !(reap && !device.reapable.empty())) {  // gone: only its URBs are left
    completeWith(client, -ENODEV);
    return TRUE;
  }
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      GObjectPtr<UMockdevIoctlData> data =
          resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(uint32_t));
      const uint32_t caps = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                            USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
      if (data) std::memcpy(data->data, &caps, sizeof caps);
      completeWith(client, data ? 0 : -EFAULT);
      return TRUE;
    }
    case USBDEVFS_SUBMITURB:
      submitUrb(device, client);
      return TRUE;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
      reapUrb(device, client, request == USBDEVFS_REAPURB);
      return TRUE;
    case USBDEVFS_DISCARDURB:
      discardUrb(device, client);
      return TRUE;
    case USBDEVFS_CONTROL:
      control(device, client);
      return TRUE;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:
    case USBDEVFS_DISCONNECT_CLAIM:
      driverIoctl(device, client);
      return TRUE;
    default:
      completeWith(client, settingRequest(device, client, request));
      return TRUE;
  }
}

// The requests that end at once: claims, settings, halts and resets.
int settingRequest(UsbfsNode& device, UMockdevIoctlClient* client,
                                          unsigned long request) {
  if (request == USBDEVFS_RESET) return device.face->reset();
  if (request == USBDEVFS_SETINTERFACE) {
    GObjectPtr<UMockdevIoctlData> data =
        resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_setinterface));
    if (!data) return -EFAULT;
    auto* setting = reinterpret_cast<usbdevfs_setinterface*>(data->data);
    return device.face->setInterface(setting->interface, setting->altsetting);
  }
  const bool numbered = request == USBDEVFS_CLAIMINTERFACE ||
                        request == USBDEVFS_RELEASEINTERFACE ||
                        request == USBDEVFS_SETCONFIGURATION || request == USBDEVFS_CLEAR_HALT ||
                        request == USBDEVFS_RESETEP;
  if (!numbered) return -ENOTTY;
  std::optional<unsigned> n = numberArg(client);
  if (!n) return -EFAULT;
  switch (request) {
    case USBDEVFS_CLAIMINTERFACE: return claim(device, client, *n);
    case USBDEVFS_RELEASEINTERFACE: {
      unsigned& claims = device.claims[client];
      if (*n >= 32 || !(claims & (1u << *n))) return -EINVAL;
      claims &= ~(1u << *n);
      return device.face->releaseInterface(*n);
    }
    case USBDEVFS_SETCONFIGURATION: return device.face->setConfiguration(int(*n));
    default: return device.face->clearHalt(BYTE(*n));
  }
}

int claim(UsbfsNode& device, UMockdevIoctlClient* client,
                                 unsigned interfaceNumber) {
  if (interfaceNumber >= 32) return -EINVAL;
  int status = interfaceNumber == 0 && device.usblp ? -EBUSY
                                                    : device.face->claimInterface(interfaceNumber);
  if (status == 0) device.claims[client] |= 1u << interfaceNumber;
  return status;
}

// GETDRIVER, DISCONNECT_CLAIM and the DISCONNECT/CONNECT driver ioctls, for usblp on
// interface 0.
void driverIoctl(UsbfsNode& device, UMockdevIoctlClient* client) {
  auto complete = [client](int status) { completeWith(client, status); };
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (request == USBDEVFS_GETDRIVER) {
    GObjectPtr<UMockdevIoctlData> data = resolve(arg, 0, sizeof(usbdevfs_getdriver));
    if (!data) return complete(-EFAULT);
    auto* query = reinterpret_cast<usbdevfs_getdriver*>(data->data);
    if (query->interface != 0 || !device.usblp) return complete(-ENODATA);
    std::snprintf(query->driver, sizeof query->driver, "usblp");
    return complete(0);
  }
  if (request == USBDEVFS_DISCONNECT_CLAIM) {
    GObjectPtr<UMockdevIoctlData> data = resolve(arg, 0, sizeof(usbdevfs_disconnect_claim));
    if (!data) return complete(-EFAULT);
    auto* what = reinterpret_cast<usbdevfs_disconnect_claim*>(data->data);
    if (what->interface == 0 && device.usblp == UsblpHold::Refuses) return complete(-EBUSY);
    if (what->interface == 0) device.usblp.reset();
    return complete(claim(device, client, what->interface));
  }
  GObjectPtr<UMockdevIoctlData> data = resolve(arg, 0, sizeof(usbdevfs_ioctl));
  if (!data) return complete(-EFAULT);
  auto* call = reinterpret_cast<usbdevfs_ioctl*>(data->data);
  if (call->ifno != 0) return complete(-ENODATA);
  if (call->ioctl_code == int(USBDEVFS_DISCONNECT)) {
    if (!device.usblp) return complete(-ENODATA);
    if (*device.usblp == UsblpHold::Refuses) return complete(-EBUSY);
    device.usblp.reset();
    return complete(0);
  }
  if (call->ioctl_code == int(USBDEVFS_CONNECT)) {
    for (const auto& [owner, claims] : device.claims) {
      if (claims & 1u) return complete(-EBUSY);
    }
    if (!device.usblp) device.usblp = UsblpHold::Releases;
    return complete(1);  // a driver is bound now (0 would say none took the interface)
  }
  complete(-ENOTTY);
}

void submitUrb(UsbfsNode& device, UMockdevIoctlClient* client) {
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  const uint64_t tag = argValue(client);
  GObjectPtr<UMockdevIoctlData> urbData = resolve(arg, 0, sizeof(usbdevfs_urb));
  if (!urbData) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  usbdevfs_urb* urb = urbOf(urbData.get());
  std::optional<sim::UsbTransfer::Type> type = transferType(urb->type);
  if (!type || urb->buffer_length < 0) return umockdev_ioctl_client_complete(client, -1, EINVAL);
  GObjectPtr<UMockdevIoctlData> buffer = resolve(
      urbData.get(), offsetof(usbdevfs_urb, buffer), size_t(urb->buffer_length));
  sim::UsbTransfer transfer{*type, urb->endpoint, buffer ? buffer->data : nullptr,
                            uint32_t(urb->buffer_length), tag};
  if (*type != sim::UsbTransfer::Type::Control && !(device.claims[client] & 1u)) {
    // usbfs claims the interface of a transfer's endpoint itself
    int claimed = claim(device, client, 0);
    if (claimed != 0) return umockdev_ioctl_client_complete(client, -1, -claimed);
  }
  const bool in = *type == sim::UsbTransfer::Type::Control || (urb->endpoint & 0x80) != 0;
  device.inFlight[tag] = {std::move(urbData), in && buffer ? ref(buffer.get()) : nullptr, client, {}};
  int status = device.face->submit(transfer);
  if (status != 0) device.inFlight.erase(tag);
  umockdev_ioctl_client_complete(client, status < 0 ? -1 : 0, status < 0 ? -status : 0);
}

void reapUrb(UsbfsNode& device, UMockdevIoctlClient* client, bool wait) {
  GObjectPtr<UMockdevIoctlData> pointer =
      resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
  if (!pointer) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  std::optional<Clock::time_point> deadline;
  if (!wait) deadline = Clock::now() + kReapHold;
  device.reapers.push_back({ref(client), std::move(pointer), deadline});
}

void discardUrb(UsbfsNode& device, UMockdevIoctlClient* client) {
  const uint64_t tag = argValue(client);
  auto urb = device.inFlight.find(tag);
  if (urb == device.inFlight.end() || urb->second.client != client || !device.face->discard(tag)) {
    return umockdev_ioctl_client_complete(client, -1, EINVAL);
  }
  umockdev_ioctl_client_complete(client, 0, 0);
}

// A synchronous control transfer: one URB of the face, answered when it ends.
void control(UsbfsNode& device, UMockdevIoctlClient* client) {
  GObjectPtr<UMockdevIoctlData> arg =
      resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_ctrltransfer));
  if (!arg) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  const auto* request = reinterpret_cast<const usbdevfs_ctrltransfer*>(arg->data);
  UsbfsNode::SyncControl call{ref(client), nullptr, {}, (request->bRequestType & 0x80) != 0, {}};
  if (request->wLength > 0) {
    call.data = resolve(arg.get(), offsetof(usbdevfs_ctrltransfer, data), request->wLength);
    if (!call.data) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  }
  call.buffer = {request->bRequestType, request->bRequest, BYTE(request->wValue),
                 BYTE(request->wValue >> 8), BYTE(request->wIndex), BYTE(request->wIndex >> 8),
                 BYTE(request->wLength), BYTE(request->wLength >> 8)};
  call.buffer.resize(8 + size_t(request->wLength));
  if (!call.in && call.data) std::memcpy(call.buffer.data() + 8, call.data->data, request->wLength);
  if (request->timeout > 0) call.deadline = Clock::now() + std::chrono::milliseconds(request->timeout);
  const uint64_t tag = device.nextControlTag++;
  UsbfsNode::SyncControl& taken = device.controls[tag] = std::move(call);
  int status = device.face->submit({sim::UsbTransfer::Type::Control, 0, taken.buffer.data(),
                                    uint32_t(taken.buffer.size()), tag});
  if (status != 0) {
    device.controls.erase(tag);
    umockdev_ioctl_client_complete(client, -1, -status);
  }
}

// A USBDEVFS_CONTROL request ends: its data stage back to the caller, and the byte count.
void controlEnded(UsbfsNode& device, const sim::UsbTransferEnd& end) {
  auto found = device.controls.find(end.tag);
  if (found == device.controls.end()) return;
  UsbfsNode::SyncControl& call = found->second;
  if (end.status == 0 && call.in && call.data && end.actualLength > 0) {
    umockdev_ioctl_data_update(call.data.get(), 0, call.buffer.data() + 8, int(end.actualLength));
  }
  umockdev_ioctl_client_complete(call.client.get(), end.status == 0 ? long(end.actualLength) : -1,
                                 -end.status);
  device.controls.erase(found);
}

// USBDEVFS_CONTROL requests that have waited their time-out end with ETIMEDOUT.
void expireControls(UsbfsNode& device) {
  const Clock::time_point now = Clock::now();
  for (auto call = device.controls.begin(); call != device.controls.end();) {
    if (!call->second.deadline || *call->second.deadline > now) {
      ++call;
      continue;
    }
    device.face->discard(call->first);
    umockdev_ioctl_client_complete(call->second.client.get(), -1, ETIMEDOUT);
    call = device.controls.erase(call);
  }
}

// Writes how a URB ended into it, and what an IN transfer received into its buffer, as the reap
// that hands it over begins: umockdev writes back only what it was told has changed since it
// last did, and the submission's own write-back is over by the time its client reaps.
void ended(UsbfsNode::Urb& urb) {
  const sim::UsbTransferEnd& end = urb.end;
  const int32_t status = end.status;
  const int32_t actual = int32_t(end.actualLength);
  guint8 field[sizeof(int32_t)];
  std::memcpy(field, &status, sizeof field);
  umockdev_ioctl_data_update(urb.data.get(), offsetof(usbdevfs_urb, status), field, sizeof field);
  std::memcpy(field, &actual, sizeof field);
  umockdev_ioctl_data_update(urb.data.get(), offsetof(usbdevfs_urb, actual_length), field,
                             sizeof field);
  if (urb.buffer && urb.buffer->data_len > 0) {
    std::vector<guint8> received(urb.buffer->data, urb.buffer->data + urb.buffer->data_len);
    umockdev_ioctl_data_update(urb.buffer.get(), 0, received.data(), int(received.size()));
  }
}

// Moves what the face has ended to the reapable URBs, and hands them to waiting reapers.
void pump(UsbfsNode& device) {
  if (device.face) {
    expireControls(device);
    for (const sim::UsbTransferEnd& end : device.face->ended()) {
      controlEnded(device, end);
      auto urb = device.inFlight.find(end.tag);
      if (urb == device.inFlight.end()) continue;
      urb->second.end = end;
      device.reapable.push_back(std::move(urb->second));
      device.inFlight.erase(urb);
    }
  }
  const Clock::time_point now = Clock::now();
  for (auto reaper = device.reapers.begin(); reaper != device.reapers.end();) {
    auto urb = std::find_if(device.reapable.begin(), device.reapable.end(),
                            [&](const UsbfsNode::Urb& u) { return u.client == reaper->client.get(); });
    if (urb != device.reapable.end()) {
      ended(*urb);
      umockdev_ioctl_data_set_ptr(reaper->pointer.get(), 0, urb->data.get());
      umockdev_ioctl_client_complete(reaper->client.get(), 0, 0);
      device.reapable.erase(urb);
    } else if (!device.present) {
      umockdev_ioctl_client_complete(reaper->client.get(), -1, ENODEV);
    } else if (reaper->deadline && *reaper->deadline <= now) {
      umockdev_ioctl_client_complete(reaper->client.get(), -1, EAGAIN);
    } else {
      ++reaper;
      continue;
    }
    reaper = device.reapers.erase(reaper);
  }
}

void endAll(UsbfsNode& device) {
  device.face->unplugged();
  pump(device);
  for (UsbfsNode::Reaper& reaper : device.reapers) {
    umockdev_ioctl_client_complete(reaper.client.get(), -1, ENODEV);
  }
  device.reapers.clear();
}

void forgetClient(UsbfsNode& device, UMockdevIoctlClient* client) {
  auto claimed = device.claims.find(client);
  if (claimed != device.claims.end()) {
    for (unsigned n = 0; n < 32; ++n) {
      if (device.present && (claimed->second & (1u << n))) device.face->releaseInterface(n);
    }
    device.claims.erase(claimed);
  }
  for (auto urb = device.inFlight.begin(); urb != device.inFlight.end();) {
    if (urb->second.client != client) {
      ++urb;
      continue;
    }
    if (device.face) device.face->discard(urb->first);
    urb = device.inFlight.erase(urb);
  }
  std::erase_if(device.reapable, [client](const UsbfsNode::Urb& urb) {
    return urb.client == client;
  });
  std::erase_if(device.reapers, [client](const UsbfsNode::Reaper& reaper) {
    return reaper.client.get() == client;
  });
}

std::optional<Clock::time_point> nextDue(const UsbfsNode& device) {
  std::optional<Clock::time_point> due;
  auto consider = [&due](const std::optional<Clock::time_point>& at) {
    if (at && (!due || *at < *due)) due = at;
  };
  if (device.face && device.present) consider(device.face->nextDeadline());
  for (const UsbfsNode::Reaper& reaper : device.reapers) consider(reaper.deadline);
  for (const auto& [tag, call] : device.controls) consider(call.deadline);
  return due;
}

}  // namespace velkor::test
