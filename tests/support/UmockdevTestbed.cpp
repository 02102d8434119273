#include "tests/support/UmockdevTestbed.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "sim/World.h"
#include "tests/support/UsbfsNode.h"

namespace velkor::test {
namespace {

using Clock = std::chrono::steady_clock;

// How often a served world's machine is brought up to real time when nothing else wakes us.
constexpr auto kWorldTick = std::chrono::milliseconds(100);
constexpr int kPortsPerBus = 9;

std::string hex(const std::vector<BYTE>& bytes) {
  std::string text;
  char pair[3];
  for (BYTE b : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", b);
    text += pair;
  }
  return text;
}

}  // namespace

class UmockdevTestbed::Impl {
 public:
  Impl();
  ~Impl();

  std::string skipReason;
  mutable std::recursive_mutex mutex;

  void serve(sim::VirtualPlotter& plotter, const std::string& model);
  void serveWorld(sim::World& world);
  void unplug(sim::VirtualPlotter& plotter);
  UsbfsNode* find(const sim::VirtualPlotter& plotter);
  bool available() const { return testbed_ != nullptr; }

 private:
  static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void onClientConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
  static void onClientClosed(GObject* client, GParamSpec*, gpointer self);
  void clientClosed(UMockdevIoctlClient* client);
  void plugIn(UsbfsNode& device);
  void retire(UsbfsNode& device);
  void leave(UsbfsNode& device);
  void serveLoop();
  Clock::time_point nextWake();
  UsbfsNode* byNode(const char* node);

  GObjectPtr<UMockdevTestbed> testbed_;
  GObjectPtr<UMockdevIoctlBase> handler_;
  std::vector<std::unique_ptr<UsbfsNode>> devices_;
  std::vector<std::unique_ptr<UsbfsNode>> retired_;  // their earlier times on the bus
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

UsbfsNode* UmockdevTestbed::Impl::find(const sim::VirtualPlotter& plotter) {
  for (auto& device : devices_) {
    if (device->plotter == &plotter) return device.get();
  }
  return nullptr;
}

UsbfsNode* UmockdevTestbed::Impl::byNode(const char* node) {
  for (auto* list : {&devices_, &retired_}) {
    for (auto& device : *list) {
      if (device->node == node) return device.get();
    }
  }
  return nullptr;
}

// A device that comes back arrives anew; the fds of its last time keep what they can still
// reap there, and get ENODEV for everything else, as usbfs keeps a gone device's URBs.
void UmockdevTestbed::Impl::retire(UsbfsNode& device) {
  auto old = std::make_unique<UsbfsNode>();
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
  auto device = std::make_unique<UsbfsNode>();
  device->plotter = &plotter;
  device->model = model;
  const int index = int(devices_.size());
  device->bus = 1 + index / kPortsPerBus;
  device->port = 1 + index % kPortsPerBus;
  UsbfsNode& served = *devices_.emplace_back(std::move(device));
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
std::string sysfsEntry(const UsbfsNode& device, const sim::UsbFace& face) {
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
void UmockdevTestbed::Impl::plugIn(UsbfsNode& device) {
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
void UmockdevTestbed::Impl::leave(UsbfsNode& device) {
  endAll(device);
  device.present = false;
  umockdev_testbed_uevent(testbed_.get(), device.syspath.c_str(), "remove");
  umockdev_testbed_remove_device(testbed_.get(), device.syspath.c_str());
  GError* raw = nullptr;
  umockdev_testbed_detach_ioctl(testbed_.get(), device.node.c_str(), &raw);
  std::unique_ptr<GError, GErrorFree> error(raw);
}

void UmockdevTestbed::Impl::unplug(sim::VirtualPlotter& plotter) {
  std::lock_guard<std::recursive_mutex> lock(mutex);
  UsbfsNode* device = find(plotter);
  plotter.unplug();
  if (device && device->present) leave(*device);
}

// --- The ioctl handler (umockdev's thread) -----------------------------------------------------

gboolean UmockdevTestbed::Impl::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client,
                                        gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  std::lock_guard<std::recursive_mutex> lock(impl->mutex);
  UsbfsNode* device = impl->byNode(umockdev_ioctl_client_get_devnode(client));
  if (!device) return FALSE;
  bool handled = answerIoctl(*device, client, umockdev_ioctl_client_get_request(client));
  pump(*device);
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
  for (auto* list : {&retired_, &devices_}) {
    for (auto& device : *list) forgetClient(*device, client);
  }
}

// --- The serving thread ----------------------------------------------------------------------

Clock::time_point UmockdevTestbed::Impl::nextWake() {
  Clock::time_point wake = Clock::now() + (world_ ? kWorldTick : std::chrono::seconds(1));
  for (auto& device : devices_) {
    if (std::optional<Clock::time_point> due = nextDue(*device)) wake = std::min(wake, *due);
    // an IN transfer may wait on data that reaches the plotter some other way
    if (device->present && device->face->hasPending()) {
      wake = std::min(wake, Clock::now() + kWorldTick);
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
  if (UsbfsNode* device = impl_->find(plotter)) device->usblp = hold;
}

bool UmockdevTestbed::usblpBound(const sim::VirtualPlotter& plotter) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  UsbfsNode* device = impl_->find(plotter);
  return device && device->usblp.has_value();
}

std::string UmockdevTestbed::deviceNode(const sim::VirtualPlotter& plotter) const {
  std::lock_guard<std::recursive_mutex> lock(impl_->mutex);
  UsbfsNode* device = impl_->find(plotter);
  return device && device->present ? device->node : std::string();
}

std::unique_lock<std::recursive_mutex> UmockdevTestbed::hold() const {
  return std::unique_lock<std::recursive_mutex>(impl_->mutex);
}

}  // namespace velkor::test
