// A test over the default world's plotters, served through umockdev to the real libusb of this
// process (UmockdevTestbed.h). Skipped, with the reason, when the program does not run under
// umockdev's preload.
#pragma once

#include <gtest/gtest.h>
#include <libusb.h>

#include <cstdio>
#include <memory>
#include <string>

#include "sim/World.h"
#include "tests/support/UmockdevTestbed.h"

namespace velkor::test {

class UmockdevTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bed_.available()) GTEST_SKIP() << "skipped: " << bed_.skipReason();
    std::string error;
    world_ = makeWorld(&error);
    ASSERT_TRUE(world_) << error;
    bed_.serve(*world_);
    ASSERT_EQ(libusb_init(&context_), 0);
  }
  void TearDown() override {
    if (context_) libusb_exit(context_);
  }

  // The world served; the built-in one unless a test says otherwise.
  virtual std::unique_ptr<sim::World> makeWorld(std::string* error) {
    return sim::World::named("default", error);
  }

  sim::VirtualPlotter& plotter(size_t index) { return *world_->plotters().at(index); }

  // The plotter's device in libusb's list now, with a reference of its own; null when absent.
  libusb_device* device(const sim::VirtualPlotter& served) {
    int bus = 0, address = 0;
    if (std::sscanf(bed_.deviceNode(served).c_str(), "/dev/bus/usb/%d/%d", &bus, &address) != 2) {
      return nullptr;
    }
    libusb_device** list = nullptr;
    ssize_t count = libusb_get_device_list(context_, &list);
    libusb_device* found = nullptr;
    for (ssize_t i = 0; i < count; ++i) {
      if (libusb_get_bus_number(list[i]) == bus && libusb_get_device_address(list[i]) == address) {
        found = libusb_ref_device(list[i]);
      }
    }
    libusb_free_device_list(list, 1);
    return found;
  }

  struct HandleClose {
    void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
  };
  using Handle = std::unique_ptr<libusb_device_handle, HandleClose>;

  // The plotter opened (null on failure).
  Handle open(const sim::VirtualPlotter& served) {
    libusb_device* found = device(served);
    if (!found) return nullptr;
    libusb_device_handle* handle = nullptr;
    int status = libusb_open(found, &handle);
    libusb_unref_device(found);
    return status == 0 ? Handle(handle) : nullptr;
  }

  // The plotter opened with its interface claimed (null on failure).
  Handle claimed(const sim::VirtualPlotter& served) {
    Handle handle = open(served);
    if (handle && libusb_claim_interface(handle.get(), 0) != 0) handle.reset();
    return handle;
  }

  std::unique_ptr<sim::World> world_;  // outlives the testbed that serves it
  UmockdevTestbed bed_;
  libusb_context* context_ = nullptr;
};

}  // namespace velkor::test
