#include "tests/support/UmockdevTestbed.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "sim/UsbFace.h"
#include "sim/VirtualPlotter.h"
#include "sim/World.h"

// GLib spells TRUE and FALSE its own way; here they are GLib's.
#undef TRUE
#undef FALSE
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

namespace velkor::test {
namespace {

using Clock = std::chrono::steady_clock;

// A REAPURBNDELAY with nothing to reap is held this long before it answers EAGAIN: libusb polls
// a file that is always ready under umockdev, and would otherwise ask again at once, for ever.
constexpr auto kReapHold = std::chrono::milliseconds(20);
// How often a served world's machine is brought up to real time when nothing else wakes us.
constexpr auto kWorldTick = std::chrono::milliseconds(100);
constexpr int kPortsPerBus = 9;

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

template <typename T>
GObjectPtr<T> ref(T* object) {
  return GObjectPtr<T>(static_cast<T*>(g_object_ref(object)));
}

struct GErrorFree {
  void operator()(GError* error) const {
    if (error) g_error_free(error);
  }
};

// The data of an ioctl's argument pointer, or null.
GObjectPtr<UMockdevIoctlData> resolve(UMockdevIoctlData* data, size_t offset, size_t length) {
  GError* raw = nullptr;
  UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, length, &raw);
  std::unique_ptr<GError, GErrorFree> error(raw);
  return GObjectPtr<UMockdevIoctlData>(resolved);
}

usbdevfs_urb* urbOf(UMockdevIoctlData* data) {
  return reinterpret_cast<usbdevfs_urb*>(data->data);
}

uint64_t argValue(UMockdevIoctlClient* client) {
  uint64_t value = 0;
  std::memcpy(&value, umockdev_ioctl_client_get_arg(client)->data, sizeof value);
  return value;
}

std::string hex(const std::vector<BYTE>& bytes) {
  std::string text;
  char pair[3];
  for (BYTE b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    text += pair;
  }
  return text;
}

std::optional<sim::UsbTransfer::Type> transferType(unsigned char urbType) {
  switch (urbType) {
    case USBDEVFS_URB_TYPE_CONTROL: return sim::UsbTransfer::Type::Control;
    case USBDEVFS_URB_TYPE_BULK: return sim::UsbTransfer::Type::Bulk;
    case USBDEVFS_URB_TYPE_INTERRUPT: return sim::UsbTransfer::Type::Interrupt;
    default: return std::nullopt;
  }
}

}  // namespace

// One plotter on the bus, while it is there.
struct Served {
  sim::VirtualPlotter* plotter = nullptr;
  std::string model;
  int bus = 0;
  int port = 0;
  int address = 0;
  std::string node;     // "/dev/bus/usb/001/002"
  std::string syspath;  // as umockdev named it
  std::unique_ptr<sim::UsbFace> face;
  bool present = false;
  std::optional<UsblpHold> usblp;  // bound while set
  struct Urb {
    GObjectPtr<UMockdevIoctlData> data;
    GObjectPtr<UMockdevIoctlData> buffer;  // null for an empty one
    UMockdevIoctlClient* client = nullptr;
    sim::UsbTransferEnd end;  // once it has ended
  };
  std::map<uint64_t, Urb> inFlight;  // by the URB's address in the client
  std::deque<Urb> reapable;
  struct Reaper {
    GObjectPtr<UMockdevIoctlClient> client;
    GObjectPtr<UMockdevIoctlData> pointer;
    std::optional<Clock::time_point> deadline;  // REAPURBNDELAY: EAGAIN then
  };
  std::vector<Reaper> reapers;
  std::map<UMockdevIoctlClient*, unsigned> claims;  // interfaces claimed, by the fd's client
  // USBDEVFS_CONTROL requests in flight, by a tag no URB's address can have.
  struct SyncControl {
    GObjectPtr<UMockdevIoctlClient> client;
    GObjectPtr<UMockdevIoctlData> data;  // the caller's data stage; null when empty
    std::vector<BYTE> buffer;            // setup packet and data stage, as the face takes them
    bool in = false;
    std::optional<Clock::time_point> deadline;
  };
  std::map<uint64_t, SyncControl> controls;
  uint64_t nextControlTag = uint64_t(1) << 63;
};

class UmockdevTestbed::Impl {
 public:
  Impl();
  ~Impl();

  std::string skipReason;
  mutable std::recursive_mutex mutex;

  void serve(sim::VirtualPlotter& plotter, const std::string& model);
  void serveWorld(sim::World& world);
  void unplug(sim::VirtualPlotter& plotter);
  Served* find(const sim::VirtualPlotter& plotter);
  bool available() const { return testbed_ != nullptr; }

 private:
  static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void onClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void onClientClosed(GObject* client, GParamSpec*, gpointer self);
  bool handle(Served& device, UMockdevIoctlClient* client, unsigned long request);
  void submitUrb(Served& device, UMockdevIoctlClient* client);
  void reapUrb(Served& device, UMockdevIoctlClient* client, bool wait);
  void discardUrb(Served& device, UMockdevIoctlClient* client);
  void driverIoctl(Served& device, UMockdevIoctlClient* client);
  int claim(Served& device, UMockdevIoctlClient* client, unsigned interfaceNumber);
  int settingRequest(Served& device, UMockdevIoctlClient* client, unsigned long request);
  void control(Served& device, UMockdevIoctlClient* client);
  void controlEnded(Served& device, const sim::UsbTransferEnd& end);
  void expireControls(Served& device);
  void clientClosed(UMockdevIoctlClient* client);
  void plugIn(Served& device);
  void retire(Served& device);
  void leave(Served& device);
  void pump(Served& device);
  static void ended(Served::Urb& urb);
  void serveLoop();
  Clock::time_point nextWake();
  Served* byNode(const char* node);

  GObjectPtr<UMockdevTestbed> testbed_;
  GObjectPtr<UMockdevIoctlBase> handler_;
  std::vector<std::unique_ptr<Served>> devices_;
  std::vector<std::unique_ptr<Served>> retired_;  // their earlier times on the bus
  std::map<int, int> nextAddress_;  // by bus
  // The open fds, each held until it has told us it closed: umockdev tells it from an idle
  // callback that may otherwise come after the client is gone.
  std::map<UMockdevIoctlClient*, GObjectPtr<UMockdevIoctlClient>> clients_;
  sim::World* world_ = nullptr;
  std::condition_variable_any wake_;
  bool stopping_ = false;
  std::thread server_;
};

UmockdevTestbed::Impl::Impl() {
  // umockdev tells only once a testbed exists, and keeps its first answer.
  testbed_.reset(umockdev_testbed_new());
  if (!umockdev_in_mock_environment()) {
    testbed_.reset();
    skipReason =
        "not running under umockdev's preload (run it through umockdev-wrapper, or with "
        "LD_PRELOAD=libumockdev-preload.so.0)";
    return;
  }
  handler_.reset(umockdev_ioctl_base_new());
  g_signal_connect(handler_.get(), "handle-ioctl", G_CALLBACK(onIoctl), this);
  g_signal_connect(handler_.get(), "client-connected", G_CALLBACK(onClientConnected), this);
  server_ = std::thread([this] { serveLoop(); });
}

UmockdevTestbed::Impl::~Impl() {
  {
    std::lock_guard<std::recursive_mutex> lock(mutex);
    stopping_ = true;
  }
  wake_.notify_all();
  if (server_.joinable()) server_.join();
  std::lock_guard<std::recursive_mutex> lock(mutex);
  for (auto& device : devices_) {
    if (device->present) leave(*device);
  }
  if (handler_) g_signal_handlers_disconnect_by_data(handler_.get(), this);
  for (auto& [client, held] : clients_) g_signal_handlers_disconnect_by_data(client, this);
  clients_.clear();
  devices_.clear();
  retired_.clear();
  handler_.reset();
  testbed_.reset();
}

Served* UmockdevTestbed::Impl::find(const sim::VirtualPlotter& plotter) {
  for (auto& device : devices_) {
    if (device->plotter == &plotter) return device.get();
  }
  return nullptr;
}

Served* UmockdevTestbed::Impl::byNode(const char* node) {
  for (auto* list : {&devices_, &retired_}) {
    for (auto& device : *list) {
      if (device->node == node) return device.get();
    }
  }
  return nullptr;
}

// A device that comes back arrives anew; the fds of its last time keep what they can still
// reap there, and get ENODEV for everything else, as usbfs keeps a gone device's URBs.
void UmockdevTestbed::Impl::retire(Served& device) {
  auto old = std::make_unique<Served>();
  old->plotter = device.plotter;
  old->node = device.node;
  old->face = std::move(device.face);
  old->inFlight = std::move(device.inFlight);
  old->reapable = std::move(device.reapable);
  old->reapers = std::move(device.reapers);
  old->claims = std::move(device.claims);
  device.inFlight.clear();
  device.reapable.clear();
  device.reapers.clear();
  device.claims.clear();
  retired_.push_back(std::move(old));
}

void UmockdevTestbed::Impl::serveWorld(sim::World& world) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  world_ = &world;
  world.machine().setRealTimePacing(true);
  const auto& plans = world.plan().plotters;
  for (size_t i = 0; i < world.plotters().size(); ++i) {
    serve(*world.plotters()[i], i < plans.size() ? plans[i].model : std::string());
  }
}

void UmockdevTestbed::Impl::serve(sim::VirtualPlotter& plotter, const std::string& model) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  if (!testbed_ || find(plotter)) return;
  auto device = std::make_unique<Served>();
  device->plotter = &plotter;
  device->model = model;
  const int index = int(devices_.size());
  device->bus = 1 + index / kPortsPerBus;
  device->port = 1 + index % kPortsPerBus;
  Served& served = *devices_.emplace_back(std::move(device));
  if (plotter.present()) plugIn(served);
  wake_.notify_all();
}

namespace {

std::string printed(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// The device's entry in umockdev's text form: its path, node, udev properties and sysfs
// attributes, each attribute ending in a newline as the kernel writes them.
std::string sysfsEntry(const Served& device, const sim::UsbFace& face) {
  const sim::PlotterIdentity& identity = face.identity();
  std::string entry =
      printed("P: /devices/velkor/usb%d/%d-%d\nN: %s\n", device.bus, device.bus, device.port,
              device.node.c_str() + 5);
  entry += "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n";
  entry += printed("E: BUSNUM=%03d\nE: DEVNUM=%03d\nE: DEVNAME=%s\nE: PRODUCT=%x/%x/100\n",
                   device.bus, device.address, device.node.c_str(), identity.vendorId,
                   identity.productId);
  auto attribute = [&entry](const std::string& name, const std::string& value) {
    entry += "A: " + name + "=" + value + "\\n\n";
  };
  attribute("idVendor", printed("%04x", identity.vendorId));
  attribute("idProduct", printed("%04x", identity.productId));
  attribute("serial", identity.instanceSerial);
  attribute("manufacturer", "Velkor test devices");
  attribute("product", "Virtual plotter");
  attribute("busnum", std::to_string(device.bus));
  attribute("devnum", std::to_string(device.address));
  attribute("speed", "480");
  attribute("version", " 2.00");
  attribute("bDeviceClass", "00");
  attribute("bConfigurationValue", "1");
  attribute("bNumConfigurations", "1");
  attribute("bNumInterfaces", printed("%2zu", identity.interfaces.size()));
  return entry + "H: descriptors=" + hex(face.descriptors()) + "\n";
}

}  // namespace

// The plotter arrives on the bus: its ioctl socket first, so that it answers from the moment
// the "add" event is seen.
void UmockdevTestbed::Impl::plugIn(Served& device) {
  if (!device.node.empty()) retire(device);
  int& next = nextAddress_.try_emplace(device.bus, 2).first->second;
  device.address = next++;
  device.node = printed("/dev/bus/usb/%03d/%03d", device.bus, device.address);
  device.syspath = printed("/sys/devices/velkor/usb%d/%d-%d", device.bus, device.bus, device.port);
  device.face = std::make_unique<sim::UsbFace>(*device.plotter, device.model);
  GError* raw = nullptr;
  umockdev_testbed_attach_ioctl(testbed_.get(), device.node.c_str(), handler_.get(), &raw);
  std::unique_ptr<GError, GErrorFree> attachError(raw);
  raw = nullptr;
  umockdev_testbed_add_from_string(testbed_.get(), sysfsEntry(device, *device.face).c_str(), &raw);
  std::unique_ptr<GError, GErrorFree> addError(raw);
  for (const GError* error : {attachError.get(), addError.get()}) {
    if (error) std::fprintf(stderr, "umockdev testbed: %s: %s\n", device.node.c_str(), error->message);
  }
  device.present = true;
}

// The device leaves the bus: what is pending ends with ENODEV and can be reaped; then sysfs
// loses it.
void UmockdevTestbed::Impl::leave(Served& device) {
  device.face->unplugged();
  pump(device);
  for (Served::Reaper& reaper : device.reapers) {
    umockdev_ioctl_client_complete(reaper.client.get(), -1, ENODEV);
  }
  device.reapers.clear();
  device.present = false;
  umockdev_testbed_uevent(testbed_.get(), device.syspath.c_str(), "remove");
  umockdev_testbed_remove_device(testbed_.get(), device.syspath.c_str());
  GError* raw = nullptr;
  umockdev_testbed_detach_ioctl(testbed_.get(), device.node.c_str(), &raw);
  std::unique_ptr<GError, GErrorFree> error(raw);
}

void UmockdevTestbed::Impl::unplug(sim::VirtualPlotter& plotter) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  Served* device = find(plotter);
  plotter.unplug();
  if (device && device->present) leave(*device);
}

// --- The ioctl handler (umockdev's thread) -----------------------------------------------------

gboolean UmockdevTestbed::Impl::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                        gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  std::lock_guard<std::recursive_mutex> lock(impl->mutex);
  Served* device = impl->byNode(umockdev_ioctl_client_get_devnode(client));
  if (!device) return FALSE;
  if (!device->present) {
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
    if (!(reap && !device->reapable.empty())) {
      umockdev_ioctl_client_complete(client, -1, ENODEV);
      return TRUE;
    }
  }
  bool handled = impl->handle(*device, client, umockdev_ioctl_client_get_request(client));
  impl->pump(*device);
  impl->wake_.notify_all();
  return handled;
}

void UmockdevTestbed::Impl::onClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                              gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  std::lock_guard<std::recursive_mutex> lock(impl->mutex);
  impl->clients_.emplace(client, ref(client));
  g_signal_connect(client, "notify::connected", G_CALLBACK(onClientClosed), self);
}

void UmockdevTestbed::Impl::onClientClosed(GObject* client, GParamSpec*, gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  auto* ioctlClient = reinterpret_cast<UMockdevIoctlClient*>(client);
  if (umockdev_ioctl_client_get_connected(ioctlClient)) return;
  std::lock_guard<std::recursive_mutex> lock(impl->mutex);
  impl->clientClosed(ioctlClient);
  impl->clients_.erase(ioctlClient);  // the emission holds the client until it returns
}

// A closed fd lets go of what it claimed and of its URBs, as usbfs does.
void UmockdevTestbed::Impl::clientClosed(UMockdevIoctlClient* client) {
  g_signal_handlers_disconnect_by_data(client, this);
  for (auto& device : retired_) {
    device->claims.erase(client);
    std::erase_if(device->reapable, [client](const Served::Urb& u) { return u.client == client; });
    std::erase_if(device->reapers, [client](const Served::Reaper& r) {
      return r.client.get() == client;
    });
  }
  for (auto& device : devices_) {
    auto claimed = device->claims.find(client);
    if (claimed != device->claims.end()) {
      for (unsigned n = 0; n < 32; ++n) {
        if (device->present && (claimed->second & (1u << n))) device->face->releaseInterface(n);
      }
      device->claims.erase(claimed);
    }
    for (auto urb = device->inFlight.begin(); urb != device->inFlight.end();) {
      if (urb->second.client != client) {
        ++urb;
        continue;
      }
      if (device->face) device->face->discard(urb->first);
      urb = device->inFlight.erase(urb);
    }
    std::erase_if(device->reapable, [client](const Served::Urb& urb) {
      return urb.client == client;
    });
    std::erase_if(device->reapers, [client](const Served::Reaper& reaper) {
      return reaper.client.get() == client;
    });
  }
}

namespace {

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

bool UmockdevTestbed::Impl::handle(Served& device, UMockdevIoctlClient* client,
                                   unsigned long request) {
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
int UmockdevTestbed::Impl::settingRequest(Served& device, UMockdevIoctlClient* client,
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

int UmockdevTestbed::Impl::claim(Served& device, UMockdevIoctlClient* client,
                                 unsigned interfaceNumber) {
  if (interfaceNumber >= 32) return -EINVAL;
  int status = interfaceNumber == 0 && device.usblp ? -EBUSY
                                                    : device.face->claimInterface(interfaceNumber);
  if (status == 0) device.claims[client] |= 1u << interfaceNumber;
  return status;
}

// GETDRIVER, DISCONNECT_CLAIM and the DISCONNECT/CONNECT driver ioctls, for usblp on
// interface 0.
void UmockdevTestbed::Impl::driverIoctl(Served& device, UMockdevIoctlClient* client) {
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

void UmockdevTestbed::Impl::submitUrb(Served& device, UMockdevIoctlClient* client) {
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

void UmockdevTestbed::Impl::reapUrb(Served& device, UMockdevIoctlClient* client, bool wait) {
  GObjectPtr<UMockdevIoctlData> pointer =
      resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
  if (!pointer) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  std::optional<Clock::time_point> deadline;
  if (!wait) deadline = Clock::now() + kReapHold;
  device.reapers.push_back({ref(client), std::move(pointer), deadline});
}

void UmockdevTestbed::Impl::discardUrb(Served& device, UMockdevIoctlClient* client) {
  const uint64_t tag = argValue(client);
  auto urb = device.inFlight.find(tag);
  if (urb == device.inFlight.end() || urb->second.client != client || !device.face->discard(tag)) {
    return umockdev_ioctl_client_complete(client, -1, EINVAL);
  }
  umockdev_ioctl_client_complete(client, 0, 0);
}

// A synchronous control transfer: one URB of the face, answered when it ends.
void UmockdevTestbed::Impl::control(Served& device, UMockdevIoctlClient* client) {
  GObjectPtr<UMockdevIoctlData> arg =
      resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_ctrltransfer));
  if (!arg) return umockdev_ioctl_client_complete(client, -1, EFAULT);
  const auto* request = reinterpret_cast<const usbdevfs_ctrltransfer*>(arg->data);
  Served::SyncControl call{ref(client), nullptr, {}, (request->bRequestType & 0x80) != 0, {}};
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
  Served::SyncControl& taken = device.controls[tag] = std::move(call);
  int status = device.face->submit({sim::UsbTransfer::Type::Control, 0, taken.buffer.data(),
                                    uint32_t(taken.buffer.size()), tag});
  if (status != 0) {
    device.controls.erase(tag);
    umockdev_ioctl_client_complete(client, -1, -status);
  }
}

// A USBDEVFS_CONTROL request ends: its data stage back to the caller, and the byte count.
void UmockdevTestbed::Impl::controlEnded(Served& device, const sim::UsbTransferEnd& end) {
  auto found = device.controls.find(end.tag);
  if (found == device.controls.end()) return;
  Served::SyncControl& call = found->second;
  if (end.status == 0 && call.in && call.data && end.actualLength > 0) {
    umockdev_ioctl_data_update(call.data.get(), 0, call.buffer.data() + 8, int(end.actualLength));
  }
  umockdev_ioctl_client_complete(call.client.get(), end.status == 0 ? long(end.actualLength) : -1,
                                 -end.status);
  device.controls.erase(found);
}

// USBDEVFS_CONTROL requests that have waited their time-out end with ETIMEDOUT.
void UmockdevTestbed::Impl::expireControls(Served& device) {
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
void UmockdevTestbed::Impl::ended(Served::Urb& urb) {
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
void UmockdevTestbed::Impl::pump(Served& device) {
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
                            [&](const Served::Urb& u) { return u.client == reaper->client.get(); });
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

// --- The serving thread ----------------------------------------------------------------------

Clock::time_point UmockdevTestbed::Impl::nextWake() {
  Clock::time_point wake = Clock::now() + (world_ ? kWorldTick : std::chrono::seconds(1));
  for (auto& device : devices_) {
    if (device->face && device->present) {
      if (auto due = device->face->nextDeadline()) wake = std::min(wake, *due);
      if (device->face->hasPending()) wake = std::min(wake, Clock::now() + kWorldTick);
    }
    for (const Served::Reaper& reaper : device->reapers) {
      if (reaper.deadline) wake = std::min(wake, *reaper.deadline);
    }
    for (const auto& [tag, call] : device->controls) {
      if (call.deadline) wake = std::min(wake, *call.deadline);
    }
  }
  return wake;
}

void UmockdevTestbed::Impl::serveLoop() {
  std::unique_lock<std::recursive_mutex> lock(mutex);
  while (!stopping_) {
    wake_.wait_until(lock, nextWake());
    if (stopping_) break;
    if (world_) world_->machine().catchUpWithRealTime();
    for (auto& device : devices_) {
      if (device->present) {
        pump(*device);
        if (device->face->gone()) leave(*device);
      } else if (device->plotter->present()) {
        plugIn(*device);  // plugged in after it was served, or back after it went
      }
    }
  }
}

// --- The testbed -----------------------------------------------------------------------------

UmockdevTestbed::UmockdevTestbed() : impl_(std::make_unique<Impl>()) {}
UmockdevTestbed::~UmockdevTestbed() = default;

bool UmockdevTestbed::available() const { return impl_->available(); }
const std::string& UmockdevTestbed::skipReason() const { return impl_->skipReason; }

void UmockdevTestbed::serve(sim::World& world) { impl_->serveWorld(world); }

void UmockdevTestbed::serve(sim::VirtualPlotter& plotter, const std::string& model) {
  impl_->serve(plotter, model);
}

void UmockdevTestbed::unplug(sim::VirtualPlotter& plotter) { impl_->unplug(plotter); }

void UmockdevTestbed::bindUsblp(const sim::VirtualPlotter& plotter, UsblpHold hold) {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  if (Served* device = impl_->find(plotter)) device->usblp = hold;
}

bool UmockdevTestbed::usblpBound(const sim::VirtualPlotter& plotter) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  Served* device = impl_->find(plotter);
  return device && device->usblp.has_value();
}

std::string UmockdevTestbed::deviceNode(const sim::VirtualPlotter& plotter) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  Served* device = impl_->find(plotter);
  return device && device->present ? device->node : std::string();
}

std::unique_lock<std::recursive_mutex> UmockdevTestbed::hold() const {
  return std::unique_lock<std::recursive_mutex>(impl_->mutex);
}

}  // namespace velkor::test
