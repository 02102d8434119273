// The command executor against printing-class plotters on a simulated machine: which
// interfaces a command reaches, the reply's two transfers and their bounds, the waits, and
// drainReplies.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "plotter/CommandExecutor.h"
#include "plotter/CommandTable.h"
#include "tests/plotter/PlotterListTest.h"
#include "usb/UsbPrintClass.h"

namespace velkor::test {
namespace {

using namespace plotter;

class CommandExecutorTest : public PlotterListTest {
 protected:
  // Runs a command on an empty text; the text afterwards, or "(failed)".
  static std::string run(int16_t row, int32_t code) {
    std::string text;
    return executeCommand(row, code, text) ? text : "(failed)";
  }
};

TEST_F(CommandExecutorTest, CommandTheTableLacksTouchesNoDevice) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  std::string text = "kept";
  EXPECT_FALSE(executeCommand(row, 20, text));
  EXPECT_FALSE(executeCommand(row, 12, text)) << "12 is the update-only program's code";
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(plotter.printerLog().summary(), "");
  EXPECT_STREQ(discovery::plotterList().records[row].instanceText, "VK0000001")
      << "nothing was matched, so nothing was lower-cased";
}

TEST_F(CommandExecutorTest, QueryReachesThePlotterByIdentifiersAndLowerCasedInstance) {
  sim::VirtualPlotter& other = plugInPrinter(kEscapeModel, "vk0000002");
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  plotter.state.platformName = "ZK400";
  EXPECT_EQ(run(row, kPlotterType), "ZK400\r");
  EXPECT_STREQ(discovery::plotterList().records[row].instanceText, "vk0000001");
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.5,read:4,read:6");
  EXPECT_EQ(other.printerLog().summary(), "");
}

TEST_F(CommandExecutorTest, EveryMatchingInterfaceRunsTheCommandAndTheLastOneCounts) {
  sim::VirtualPlotter& first = plugInPrinter(kEscapeModel, "vk0000001");
  sim::VirtualPlotter& second = plugInPrinter(kEscapeModel, "vk00000012");
  first.state.platformName = "FIRST";
  second.state.platformName = "SECOND";
  int16_t row = addPrinterRecord(kEscapeModel);
  EXPECT_EQ(run(row, kPlotterType), "SECOND\r");
  second.misbehaviour.silent = true;
  EXPECT_EQ(run(row, kPlotterType), "(failed)");
  EXPECT_NE(first.printerLog().summary(), "");
}

TEST_F(CommandExecutorTest, NoMatchingInterfaceOrNoInterfaceListFails) {
  plugInPrinter(kVendorRequestModel);
  EXPECT_EQ(run(addPrinterRecord(kEscapeModel), kPlotterType), "(failed)");
  EXPECT_EQ(run(addRecord(discovery::kConnectionPrinter, -1), kPlotterType), "(failed)");
  int16_t row = addPrinterRecord(kVendorRequestModel);
  machine.faults().on(os::sim::Call::SetupDiGetClassDevs).fail(ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(run(row, kPlotterType), "(failed)");
  EXPECT_NE(run(row, kPlotterType), "(failed)");
}

// A command without reply that never reached the plotter is not reported as done.
TEST_F(CommandExecutorTest, WriteThatFailsOrFallsShortIsNoSuccess) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  machine.faults().on(os::sim::Call::WriteFile).path("PIPE02").fail(ERROR_GEN_FAILURE);
  EXPECT_EQ(run(row, kReset), "(failed)");
  machine.faults().on(os::sim::Call::WriteFile).path("PIPE02").truncate(2);
  EXPECT_EQ(run(row, kFirmwareUpdate), "(failed)");
  EXPECT_EQ(run(row, kFirmwareUpdate), "");
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.,write:\\x1b.DL");
}

// What the header announces, against a true reply of 11 bytes: a length beyond the buffer is
// refused before the payload is read, and one shorter than the payload's transfer overruns.
TEST_F(CommandExecutorTest, AnnouncedLengthsAtAndBeyondTheBoundsNeverGiveAReply) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  for (DWORD announced : {0u, 1u, 10u, 236u, 237u, 299u, 300u, 301u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(announced);
    plotter.misbehaviour.announcedReplyLength = announced;
    plotter.clearPrinterLog();
    EXPECT_EQ(run(row, kFirmware), "(failed)");
    EXPECT_EQ(plotter.printerLog().summary().rfind("write:\\x1b.6,read:4", 0), 0u)
        << plotter.printerLog().summary();
    drainReplies(row);  // what a refused reply left, as the query front end does before a query
  }
  plotter.misbehaviour.announcedReplyLength.reset();
  EXPECT_EQ(run(row, kFirmware), "1.14aKR A4\r");
}

// A header transfer of 3 bytes, or a payload one byte short of what its header announced, is no
// reply: the command fails and the caller's text stays as it was.
TEST_F(CommandExecutorTest, ShortHeaderOrShortPayloadFailsAndKeepsTheText) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  using Transfers = std::vector<std::vector<BYTE>>;
  const std::pair<Transfers, const char*> cases[] = {
      {{{10, 0, 0}}, "write:\\x1b.6,read:3"},
      {{{10, 0, 0, 0}, std::vector<BYTE>(9, 'A')}, "write:\\x1b.6,read:4,read:9"},
  };
  for (const auto& [transfers, seen] : cases) {
    SCOPED_TRACE(seen);
    plotter.misbehaviour.replyTransfers = transfers;
    plotter.clearPrinterLog();
    std::string text = "kept";
    EXPECT_FALSE(executeCommand(row, kFirmware, text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(plotter.printerLog().summary(), seen);
  }
}

// What reaches the plotter for the rows the other tests leave out: the escape table's bytes on
// the pipe, the vendor-request table's three input bytes, zero-padded, and the plotter's answer.
TEST_F(CommandExecutorTest, EachRowSendsItsBytesAndGetsItsAnswer) {
  using std::string_literals::operator""s;
  struct Row {
    int16_t model;
    int32_t code;
    std::string bytes;
    const char* reply;
  };
  const Row rows[] = {
      {kEscapeModel, kBootVersion, "\x1b.7", "3.02\r"},
      {kEscapeModel, kPlatType, "\x1b.8", "MB-7 rev C\r"},
      {kVendorRequestModel, kPlotterType, "5\0\0"s, "ZK400\r"},
      {kVendorRequestModel, kBootVersion, "7\0\0"s, "3.02\r"},
      {kVendorRequestModel, kToolInfo, "A\0\0"s, "Graver 0.3\r"},
      {kVendorRequestModel, kFixtures, "4\0\0"s, "Vise 80\r"},
      {kVendorRequestModel, kGetSerialNumber, "S:\0"s, "40123456\r"},
  };
  sim::VirtualPlotter& escape = plugInPrinter(kEscapeModel);
  sim::VirtualPlotter& vendor = plugInPrinter(kVendorRequestModel, "vk0000009");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.code);
    const bool onPipe = r.model == kEscapeModel;
    sim::VirtualPlotter& plotter = onPipe ? escape : vendor;
    plotter.clearPrinterLog();
    EXPECT_EQ(run(addPrinterRecord(r.model, onPipe ? "VK0000001" : "VK0000009"), r.code), r.reply);
    ASSERT_FALSE(plotter.printerLog().events().empty());
    const sim::PrinterEvent& sent = plotter.printerLog().events().front();
    EXPECT_EQ(sent.kind, onPipe ? sim::PrinterEvent::Kind::PipeWrite
                                : sim::PrinterEvent::Kind::VendorGet);
    EXPECT_EQ(sent.bytes, r.bytes);
  }
}

// Replies are bytes: a zero byte, 8-bit bytes and carriage returns anywhere come back as sent.
TEST_F(CommandExecutorTest, RepliesWithZeroAndEightBitBytesComeBackWhole) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  const std::string reply("Z\0K\r\xE9\xFF" "4", 7);
  plotter.state.platformName = reply;
  EXPECT_EQ(run(row, kPlotterType), reply + "\r");
}

TEST_F(CommandExecutorTest, DummyCommandWaitsTenMillisecondsAndOthersASecond) {
  machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  plotter.misbehaviour.silent = true;
  os::sim::Tick start = machine.now();
  EXPECT_EQ(run(row, kDummyCommand), "(failed)");
  EXPECT_EQ(machine.now() - start, 10u);
  start = machine.now();
  EXPECT_EQ(run(row, kFirmware), "(failed)");
  EXPECT_EQ(machine.now() - start, 1000u);
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.0,read:0,write:\\x1b.6,read:0");
}

TEST_F(CommandExecutorTest, VendorRequestTableAsksByLetterWithoutWaiting) {
  machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
  sim::VirtualPlotter& plotter = plugInPrinter(kVendorRequestModel);
  int16_t row = addPrinterRecord(kVendorRequestModel);
  plotter.state.status = std::string(600, 'S');
  os::sim::Tick start = machine.now();
  EXPECT_EQ(run(row, kStatus), std::string(512, 'S')) << "bounded by the 512-byte output";
  EXPECT_NE(run(row, kDummyCommand), "(failed)");
  EXPECT_EQ(machine.now(), start);
  EXPECT_EQ(plotter.printerLog().summary(), "get:B,get:0");
}

TEST_F(CommandExecutorTest, ResetIsAPipeWriteOnTheEscapeTableAndAVendorSetOtherwise) {
  sim::VirtualPlotter& escape = plugInPrinter(kEscapeModel);
  sim::VirtualPlotter& vendor = plugInPrinter(kVendorRequestModel, "vk0000009");
  int16_t escapeRow = addPrinterRecord(kEscapeModel);
  int16_t vendorRow = addPrinterRecord(kVendorRequestModel, "vk0000009");
  EXPECT_EQ(run(escapeRow, kReset), "");
  EXPECT_EQ(escape.printerLog().summary(), "write:\\x1b.K");
  os::sim::Tick start = machine.now();
  EXPECT_EQ(run(vendorRow, kReset), "");
  EXPECT_LE(machine.now() - start, 1000u);
  EXPECT_EQ(vendor.printerLog().summary(), "set:K");
  machine.faults()
      .on(os::sim::Call::DeviceIoControl)
      .code(usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND)
      .neverComplete();
  start = machine.now();
  EXPECT_EQ(run(vendorRow, kReset), "(failed)");
  EXPECT_EQ(machine.now() - start, 1000u) << "cancelled when the wait ends";
}

TEST_F(CommandExecutorTest, QueryOnlineReportsOnlyThePortStatusRequest) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  int32_t online = discovery::currentEditionFacts().queryOnlineCode;
  std::string text = "kept";
  EXPECT_TRUE(executeCommand(row, online, text));
  EXPECT_EQ(text, "kept");
  plotter.misbehaviour.silent = true;
  EXPECT_TRUE(executeCommand(row, online, text)) << "a silent plotter still has a port";
  plotter.misbehaviour.switchedOff = true;
  EXPECT_FALSE(executeCommand(row, online, text));
  EXPECT_EQ(plotter.printerLog().summary(), "lpt,lpt,lpt-failed");
}

TEST_F(CommandExecutorTest, UpdateOnlyEditionHasTheSerialNumberModeRowAndShiftedCodes) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  int16_t row = addPrinterRecord(kEscapeModel);
  plotter.state.updateMode = true;
  std::string text;
  EXPECT_FALSE(executeCommand(row, 14, text)) << "the full program has no code 14";
  discovery::setEdition(discovery::Edition::UpdateOnly);
  EXPECT_EQ(run(row, 11), "1\r");
  EXPECT_TRUE(executeCommand(row, 14, text));
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.S=:,read:4,read:2,lpt");
}

TEST_F(CommandExecutorTest, DrainConsumesStaleRepliesAndEndsAtTheFirstSilentRound) {
  machine.setDevicesAlwaysPend(false);  // times what the system waits, to the millisecond
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  plotter.leaveStaleReply("old\r");
  plotter.leaveStaleReply("old\r");
  int16_t row = addPrinterRecord(kEscapeModel);
  os::sim::Tick start = machine.now();
  drainReplies(row);
  EXPECT_EQ(machine.now() - start, 10u) << "only the last round waits";
  EXPECT_EQ(plotter.printerLog().summary(),
            "write:\\x1b.0,read:4,read:4,write:\\x1b.0,read:4,read:4,write:\\x1b.0,read:0");
  plotter.state.firmwareText = "2.01 A3";
  EXPECT_EQ(run(row, kFirmware), "2.01 A3\r") << "no stale reply is left";
}

// A plotter that always has a reply ready must not keep the drain going for ever.
TEST_F(CommandExecutorTest, DrainEndsEvenWhileRepliesKeepComing) {
  sim::VirtualPlotter& plotter = plugInPrinter(kEscapeModel);
  for (int i = 0; i < 100; ++i) plotter.leaveStaleReply("old\r");
  drainReplies(addPrinterRecord(kEscapeModel));
  size_t writes = 0;
  for (const sim::PrinterEvent& event : plotter.printerLog().events()) {
    writes += event.kind == sim::PrinterEvent::Kind::PipeWrite;
  }
  EXPECT_EQ(writes, 64u);
}

TEST_F(CommandExecutorTest, DrainSendsNothingToVendorRequestPlotters) {
  sim::VirtualPlotter& plotter = plugInPrinter(kVendorRequestModel);
  plotter.leaveStaleReply("old\r");
  drainReplies(addPrinterRecord(kVendorRequestModel));
  drainReplies(-1);
  drainReplies(discovery::kPlotterListCapacity);
  EXPECT_EQ(plotter.printerLog().summary(), "");
}

}  // namespace
}  // namespace velkor::test
