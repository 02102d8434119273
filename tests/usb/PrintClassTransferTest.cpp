// The printing class's requests as control transfers on the printer interface: what the Linux
// platform sends for each, and what a device's USB face reads back from them.
#include <gtest/gtest.h>

#include <string>

#include "usb/PrintClassTransfer.h"

namespace {

std::span<const uint8_t> bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(PrintClassTransferTest, AVendorGetCarriesItsQueryLettersInTheSetupPacket) {
  const std::string input("4;\0", 3);
  auto get = usb::vendorCommandTransfer(true, 0, bytes(input), 512);
  ASSERT_TRUE(get);
  EXPECT_EQ(get->setup, (usb::ControlSetup{0xC1, '4', uint16_t(';' << 8), 0, 512}));
  EXPECT_TRUE(get->data.empty());
  EXPECT_EQ(usb::vendorCommandInput(get->setup, {}), input);
}

TEST(PrintClassTransferTest, AVendorSetSendsWhatFollowsItsThreeCommandBytes) {
  auto reset = usb::vendorCommandTransfer(false, 1, bytes("K"), 512);
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->setup, (usb::ControlSetup{0x41, 'K', 0, 1, 0}));
  EXPECT_EQ(usb::vendorCommandInput(reset->setup, reset->data), std::string("K\0\0", 3));
  const std::string serial = "S=:VK2026";
  auto set = usb::vendorCommandTransfer(false, 0, bytes(serial), 512);
  ASSERT_TRUE(set);
  EXPECT_EQ(set->setup.value, uint16_t('=' << 8 | ':'));
  EXPECT_EQ(set->setup.length, 6);
  EXPECT_EQ(usb::vendorCommandInput(set->setup, set->data), serial);
}

TEST(PrintClassTransferTest, WhatAControlTransferCannotCarryIsRefused) {
  EXPECT_FALSE(usb::vendorCommandTransfer(true, 0, {}, 512));
  EXPECT_FALSE(usb::vendorCommandTransfer(true, 0, bytes("5"), usb::kMaxControlData + 1));
  EXPECT_FALSE(usb::vendorCommandTransfer(false, 0, bytes(std::string(5000, 'x')), 0));
}

TEST(PrintClassTransferTest, TheClassRequestsAreThePrinterClasss) {
  EXPECT_EQ(usb::portStatusSetup(2), (usb::ControlSetup{0xA1, 1, 0, 2, 1}));
  EXPECT_EQ(usb::deviceIdSetup(2, 1024), (usb::ControlSetup{0xA1, 0, 0, 0x0200, 1024}));
}

}  // namespace
