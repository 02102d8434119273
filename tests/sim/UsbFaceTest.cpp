// The virtual plotter's USB face on its own: transfers in real time, requests the plotter never
// ends, a plotter held by another program or gone, and the printer's device ID.
#include <algorithm>
#include <cerrno>
#include <iterator>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "os/sim/SimMachine.h"
#include "sim/UsbFace.h"
#include "sim/VirtualPlotter.h"

namespace velkor::test {
namespace {

using Type = sim::UsbTransfer::Type;

// A control transfer's buffer: its setup packet, then room for the data stage.
std::vector<BYTE> controlBuffer(BYTE type, BYTE request, const std::vector<BYTE>& data) {
  std::vector<BYTE> buffer(8 + data.size());
  const BYTE setup[8] = {type, request, 0, 0, 0, 0, BYTE(data.size()), BYTE(data.size() >> 8)};
  std::copy(std::begin(setup), std::end(setup), buffer.begin());
  std::copy(data.begin(), data.end(), buffer.begin() + 8);
  return buffer;
}

// Sleeps until the face's clock has passed the instant: Windows' sleep may end a fraction of a
// millisecond before the steady clock says so.
void sleepPast(sim::UsbFace::Clock::time_point instant) {
  while (sim::UsbFace::Clock::now() < instant) std::this_thread::sleep_until(instant);
}

// The face keeps real time for the umockdev testbed, which runs on Linux alone; under Wine the
// few milliseconds of these tests are not kept closely enough to check.
#if defined(_WIN32)
#define SKIP_WHERE_NO_TESTBED_RUNS() GTEST_SKIP() << "skipped: the USB face serves Linux only"
#else
#define SKIP_WHERE_NO_TESTBED_RUNS()
#endif

class UsbFaceTest : public ::testing::Test {
 protected:
  explicit UsbFaceTest(sim::Connection connection = sim::Connection::Driver)
      : plotter_(identity(connection)) {
    plotter_.plugIn(machine_);
  }
  static sim::PlotterIdentity identity(sim::Connection connection) {
    sim::PlotterIdentity identity;
    identity.connection = connection;
    return identity;
  }
  // Sends a query record as the driver's control request, tag 1.
  void query(sim::UsbFace& face, const std::string& text) {
    std::vector<BYTE> record{0x03, BYTE(text.size())};
    record.insert(record.end(), text.begin(), text.end());
    control_ = controlBuffer(0x40, 1, record);
    ASSERT_EQ(face.submit({Type::Control, 0, control_.data(), uint32_t(control_.size()), 1}), 0);
  }

  // Claims the interface, asks the platform name and reads length bytes of the reply, tag 2.
  void queryThenRead(sim::UsbFace& face, uint32_t length) {
    ASSERT_EQ(face.claimInterface(0), 0);
    query(face, "5");
    read_.assign(length, 0);
    ASSERT_EQ(face.submit({Type::Bulk, 0x81, read_.data(), length, 2}), 0);
  }

  os::sim::SimMachine machine_;
  sim::VirtualPlotter plotter_;
  std::vector<BYTE> control_;
  std::vector<BYTE> read_;
};

TEST_F(UsbFaceTest, AReplyTheDriverFaceDelaysEndsThatManyRealMillisecondsLater) {
  SKIP_WHERE_NO_TESTBED_RUNS();
  plotter_.misbehaviour.replyDelay = 60;
  sim::UsbFace face(plotter_);
  queryThenRead(face, 4);
  std::vector<sim::UsbTransferEnd> ended = face.ended();
  ASSERT_EQ(ended.size(), 1u);  // the request; the reply is still on its way
  EXPECT_EQ(ended[0].tag, 1u);
  ASSERT_TRUE(face.nextDeadline());
  EXPECT_GT(*face.nextDeadline(), sim::UsbFace::Clock::now() + std::chrono::milliseconds(30));
  sleepPast(*face.nextDeadline());
  ended = face.ended();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0].tag, 2u);
  EXPECT_EQ(ended[0].status, 0);
  EXPECT_EQ(ended[0].actualLength, 4u);
  EXPECT_EQ(plotter_.driverLog(), "take,request:03,reply:4");
}

TEST_F(UsbFaceTest, AReadShorterThanTheTransferOverflowsWithWhatFits) {
  sim::UsbFace face(plotter_);
  queryThenRead(face, 2);
  std::vector<sim::UsbTransferEnd> ended = face.ended();
  ASSERT_EQ(ended.size(), 2u);
  EXPECT_EQ(ended[1].status, -EOVERFLOW);
  EXPECT_EQ(ended[1].actualLength, 2u);
}

// A driver time-out is the plotter never answering: the host's own time-out ends the transfer.
TEST_F(UsbFaceTest, ARequestThePlotterNeverAnswersPendsUntilDiscarded) {
  SKIP_WHERE_NO_TESTBED_RUNS();
  plotter_.misbehaviour.silent = true;
  plotter_.misbehaviour.timeoutDelay = 20;
  sim::UsbFace face(plotter_);
  query(face, "5");
  EXPECT_TRUE(face.ended().empty());
  ASSERT_TRUE(face.nextDeadline());
  sleepPast(*face.nextDeadline());
  EXPECT_TRUE(face.ended().empty());  // the driver's time-out has passed; nothing came
  EXPECT_FALSE(face.nextDeadline());
  EXPECT_TRUE(face.hasPending());
  EXPECT_TRUE(face.discard(1));
  std::vector<sim::UsbTransferEnd> ended = face.ended();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0].status, -ENOENT);
  EXPECT_FALSE(face.discard(1));
  EXPECT_EQ(plotter_.driverLog(), "timeout:03");
}

TEST_F(UsbFaceTest, APlotterHeldByAnotherProgramCannotBeClaimed) {
  plotter_.misbehaviour.openError = ERROR_SHARING_VIOLATION;
  EXPECT_EQ(sim::UsbFace(plotter_).claimInterface(0), -EBUSY);
  plotter_.misbehaviour.openError = ERROR_ACCESS_DENIED;
  EXPECT_EQ(sim::UsbFace(plotter_).claimInterface(0), -EACCES);
  EXPECT_EQ(plotter_.driverLog(), "");
}

TEST_F(UsbFaceTest, WhatIsPendingWhenThePlotterGoesEndsWithNoDevice) {
  sim::UsbFace face(plotter_);
  ASSERT_EQ(face.claimInterface(0), 0);
  std::vector<BYTE> word(2);
  ASSERT_EQ(face.submit({Type::Interrupt, 0x83, word.data(), 2, 7}), 0);
  plotter_.unplug();
  std::vector<sim::UsbTransferEnd> ended = face.ended();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0].status, -ENODEV);
  EXPECT_TRUE(face.gone());
  EXPECT_EQ(face.submit({Type::Interrupt, 0x83, word.data(), 2, 8}), -ENODEV);
  EXPECT_EQ(face.claimInterface(0), -ENODEV);
}

TEST_F(UsbFaceTest, ClaimingHoldsTheDriversLockAndReleasingLetsGo) {
  {
    sim::UsbFace face(plotter_);
    ASSERT_EQ(face.claimInterface(0), 0);
    EXPECT_EQ(plotter_.lockDepth(), 1);
    ASSERT_EQ(face.releaseInterface(0), 0);
    EXPECT_EQ(plotter_.lockDepth(), 0);
    ASSERT_EQ(face.claimInterface(0), 0);
  }
  EXPECT_EQ(plotter_.lockDepth(), 0);  // a face that goes lets go
  EXPECT_EQ(plotter_.driverLog(), "take,release,take,release");
  EXPECT_TRUE(plotter_.protocolFaults().empty());
}

class PrinterUsbFaceTest : public UsbFaceTest {
 protected:
  PrinterUsbFaceTest() : UsbFaceTest(sim::Connection::Printer) {}
};

TEST_F(PrinterUsbFaceTest, ACancelledReadIsLoggedAsTheFaceLogsOne) {
  sim::UsbFace face(plotter_);
  std::vector<BYTE> reply(64);
  ASSERT_EQ(face.submit({Type::Bulk, 0x81, reply.data(), 64, 3}), 0);
  EXPECT_TRUE(face.ended().empty());
  EXPECT_TRUE(face.discard(3));
  EXPECT_EQ(plotter_.printerLog().summary(), "read:0");
}

TEST_F(PrinterUsbFaceTest, TheDeviceIdNamesTheModelOfItsHardwareIdText) {
  plotter_.state.serialNumber = "41207735";
  EXPECT_EQ(sim::printerDeviceId(plotter_, "VelkorClassic59da"),
            "MFG:Velkor;MDL:Classic;CMD:VKESC;CLS:PRINTER;DES:Velkor Classic;SN:41207735;");
  EXPECT_EQ(sim::printerDeviceId(plotter_, "LindqvarLinnea_30e85f"),
            "MFG:Lindqvar;MDL:Linnea 30;CMD:VKESC;CLS:PRINTER;DES:Lindqvar Linnea 30;"
            "SN:41207735;");
  EXPECT_EQ(sim::printerDeviceId(plotter_, ""),
            "MFG:Velkor;MDL:ZK400;CMD:VKESC;CLS:PRINTER;DES:Velkor ZK400;SN:41207735;");
}

TEST_F(PrinterUsbFaceTest, ADeviceIdLongerThanTheReadIsCut) {
  sim::UsbFace face(plotter_, "VelkorClassic59da");
  std::vector<BYTE> buffer = controlBuffer(0xA1, sim::kPrinterGetDeviceId, std::vector<BYTE>(10));
  ASSERT_EQ(face.submit({Type::Control, 0, buffer.data(), uint32_t(buffer.size()), 4}), 0);
  std::vector<sim::UsbTransferEnd> ended = face.ended();
  ASSERT_EQ(ended.size(), 1u);
  EXPECT_EQ(ended[0].actualLength, 10u);
  EXPECT_EQ(std::string(buffer.begin() + 10, buffer.end()), "MFG:Velk");
}

}  // namespace
}  // namespace velkor::test
