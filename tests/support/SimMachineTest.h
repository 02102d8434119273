// A test fixture over a fresh simulated machine, installed as the platform for the test.
// At the end it checks that the test left no handle, mapped view or local block behind.
//
//   class ChannelTest : public velkor::test::SimMachineTest {};
//   TEST_F(ChannelTest, ...) { machine.addDeviceInterface(...); ... }
#pragma once

#include <gtest/gtest.h>

#include "os/Platform.h"
#include "os/sim/SimMachine.h"

namespace velkor::test {

class SimMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startHandles_ = machine.openHandleCount();
    startViews_ = machine.mappedViewCount();
    startBlocks_ = machine.localAllocationCount();
  }

  // A fixture that keeps objects open across the test closes them before calling this.
  void TearDown() override {
    EXPECT_EQ(machine.openHandleCount(), startHandles_) << "handles left open";
    EXPECT_EQ(machine.mappedViewCount(), startViews_) << "views left mapped";
    EXPECT_EQ(machine.localAllocationCount(), startBlocks_) << "LocalAlloc blocks left";
  }

  os::sim::SimMachine machine;
  os::ScopedPlatform platform{machine};

 private:
  size_t startHandles_ = 0;
  size_t startViews_ = 0;
  size_t startBlocks_ = 0;
};

}  // namespace velkor::test
