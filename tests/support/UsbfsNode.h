// A virtual plotter's usbfs device node as umockdev serves it: what usbfs keeps for it (URBs
// in flight and ended, reapers waiting, claims, usblp) and how it answers the usbfs ioctls
// from the plotter's USB face. Used by UmockdevTestbed under its lock, which also serialises
// every use of the plotter.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/UsbFace.h"
#include "sim/VirtualPlotter.h"
#include "tests/support/UmockdevTestbed.h"

// GLib spells TRUE and FALSE its own way; from here on they are GLib's.
#undef TRUE
#undef FALSE
#include <umockdev.h>

namespace velkor::test {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

template <typename T>
inline GObjectPtr<T> ref(T* object) {
  return GObjectPtr<T>(static_cast<T*>(g_object_ref(object)));
}

struct GErrorFree {
  void operator()(GError* error) const {
    if (error) g_error_free(error);
  }
};

// The data of an ioctl's argument pointer, or null.
inline GObjectPtr<UMockdevIoctlData> resolve(UMockdevIoctlData* data, size_t offset,
                                              size_t length) {
  GError* raw = nullptr;
  UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, length, &raw);
  std::unique_ptr<GError, GErrorFree> error(raw);
  return GObjectPtr<UMockdevIoctlData>(resolved);
}

// One plotter's node on the bus, and what usbfs keeps of it for the fds open on it.
struct UsbfsNode {
  using Clock = std::chrono::steady_clock;

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

// Answers one usbfs ioctl of a client (an open fd) on the node; false for one it does not know.
bool answerIoctl(UsbfsNode& device, UMockdevIoctlClient* client, unsigned long request);
// Moves what the face has ended to the reapable URBs and answers the reapers that can be.
void pump(UsbfsNode& device);
// The device has left the bus: what is pending ends with ENODEV, reapers without a URB get it.
void endAll(UsbfsNode& device);
// A closed fd lets go of what it claimed and of its URBs, as usbfs does.
void forgetClient(UsbfsNode& device, UMockdevIoctlClient* client);
// When something on the node falls due next (a face's delay, a reaper's or a control's time).
std::optional<UsbfsNode::Clock::time_point> nextDue(const UsbfsNode& device);

}  // namespace velkor::test
