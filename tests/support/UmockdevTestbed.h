// Virtual plotters as USB devices of this process, for the real libusb: a umockdev testbed
// whose devices are the plotters' USB faces (sim/UsbFace.h).
//
//   velkor::test::UmockdevTestbed bed;
//   if (!bed.available()) GTEST_SKIP() << bed.skipReason();
//   std::unique_ptr<sim::World> world = sim::World::named("default", &error);
//   bed.serve(*world);            // every plotter, in the world's order, on the bus
//   libusb_init(&context);        // ... lists them, opens them, transfers ...
//   bed.unplug(*world->plotters()[0]);
//   { auto hold = bed.hold(); EXPECT_EQ(world->plotters()[0]->driverLog(), "..."); }
//
// The program must run under umockdev's preload (tests registered with velkor_umockdev_test in
// tests/CMakeLists.txt are; UmockdevTest below skips otherwise). Each plotter is a usb_device on
// sysfs (idVendor, idProduct, serial, busnum, devnum, speed, descriptors, ...) with its node
// /dev/bus/usb/BBB/DDD; plotters 1 to 9 of what is served are ports 1-9 of bus 1, the next nine
// those of bus 2, and so on, so libusb lists them in the order served. Device numbers start at 2
// and count on with every arrival on the bus.
//
// usbfs requests are answered from the plotter's USB face: capabilities (scatter-gather bulk,
// so a large bulk transfer is one URB; reaping after a disconnect; no packet size limit),
// claiming, configuration and interface settings, clearing a halt, reset, the driver binding
// requests, and URBs, which stay pending until the plotter answers (an interrupt IN read until
// a status word waits, a bulk IN read until a reply does).
//
// A plotter that goes away (unplug(), or an update it took) leaves the bus: its pending URBs
// end with -ENODEV and can still be reaped, everything else fails with ENODEV, and the device
// leaves sysfs with a "remove" event. One that comes back (a world powers it on) arrives anew.
//
// The served plotters (and a served world's machine) are used from the testbed's own threads:
// read or change them only while holding hold(), and call no libusb function meanwhile (its
// requests would wait for the hold). Close every device (libusb_exit) before the testbed goes.
#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace sim {
class VirtualPlotter;
class World;
}  // namespace sim

namespace velkor::test {

// How the kernel's usblp driver behaves when a program asks it off a plotter's interface.
enum class UsblpHold { Releases, Refuses };

class UmockdevTestbed {
 public:
  // A testbed when this process runs under umockdev's preload; otherwise none, and
  // skipReason() says why.
  UmockdevTestbed();
  ~UmockdevTestbed();
  UmockdevTestbed(const UmockdevTestbed&) = delete;
  UmockdevTestbed& operator=(const UmockdevTestbed&) = delete;

  bool available() const;
  const std::string& skipReason() const;

  // Serves every plotter of the world, in its order (a printer plotter with the model its world
  // names). The world's machine keeps real time from now on, so that what it schedules (a
  // plotter powered on after an update) happens. The world must outlive the testbed.
  void serve(sim::World& world);
  // Serves one plotter, plugged into a machine; model as a world names a printer's.
  void serve(sim::VirtualPlotter& plotter, const std::string& model = {});
  // The plotter goes away mid-whatever: it is unplugged (sim) and leaves the bus.
  void unplug(sim::VirtualPlotter& plotter);
  // Binds usblp to the plotter's first interface: libusb sees it as the kernel driver, a claim
  // fails with EBUSY until it is detached, and on Refuses a detach fails with EBUSY.
  void bindUsblp(const sim::VirtualPlotter& plotter, UsblpHold hold);
  // Whether usblp is bound to the plotter's first interface now.
  bool usblpBound(const sim::VirtualPlotter& plotter) const;
  // The plotter's node on the bus now ("/dev/bus/usb/001/002"); empty when it is not there.
  std::string deviceNode(const sim::VirtualPlotter& plotter) const;

  // Holds the served plotters still while the caller reads or changes them.
  std::unique_lock<std::recursive_mutex> hold() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace velkor::test
