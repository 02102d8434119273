// The virtual plotter's jobs, driven through the USB library as the transfer channel drives
// them: request record by control request, status word from the interrupt pipe, data on the bulk
// pipes.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/sim/SampleUpdateStream.h"
#include "tests/usb/UsbLibraryTest.h"

namespace velkor::test {
namespace {

using Bytes = std::vector<BYTE>;

// A record: its head, then the text's length byte and the text.
Bytes record(Bytes head, const std::string& text) {
  Bytes bytes(head.size() + 1 + text.size());
  std::copy(head.begin(), head.end(), bytes.begin());
  bytes[head.size()] = BYTE(text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + head.size() + 1);
  return bytes;
}

Bytes textRecord(BYTE code, const std::string& text) { return record({code}, text); }

Bytes fileRecord(BYTE code, DWORD size, const std::string& name) {
  return record({code, BYTE(size), BYTE(size >> 8), BYTE(size >> 16), BYTE(size >> 24)}, name);
}

class VirtualPlotterTest : public OpenPlotterTest {
 protected:
  // Sends a request record and reads the status word it brings.
  WORD request(Bytes record) {
    const usb::UdrvControlRecord control{1, 1, 0, 0};
    EXPECT_EQ(USBClassOrVendorRequest(device, &control, record.data(), DWORD(record.size()),
                                      nullptr),
              0u);
    WORD word = 0xFFFF;
    DWORD length = sizeof word;
    EXPECT_EQ(USBReadPipe(interrupt, &word, &length, nullptr), 0u);
    return word;
  }

  std::string reply() {
    DWORD announced = 0;
    DWORD length = sizeof announced;
    EXPECT_EQ(USBReadPipe(bulkIn, &announced, &length, nullptr), 0u);
    std::string text(announced, '\0');
    length = announced;
    if (announced > 0) {
      EXPECT_EQ(USBReadPipe(bulkIn, text.data(), &length, nullptr), 0u);
    }
    return text;
  }

  std::string query(const std::string& text) {
    EXPECT_EQ(request(textRecord(0x03, text)), 0);
    return reply();
  }

  DWORD write(const Bytes& data, size_t from, size_t count) {
    return USBWritePipe(bulkOut, data.data() + from, DWORD(count), nullptr);
  }

};

TEST_F(VirtualPlotterTest, AnswersTheQueriesFromItsState) {
  EXPECT_EQ(query("5"), "ZK400\r");
  EXPECT_EQ(query("6"), "1.14aKR A4\r");
  EXPECT_EQ(query("4;"), "Vise 80\r");
  EXPECT_EQ(query("S:"), "40123456\r");
  EXPECT_EQ(query("?"), "");
  plotter.state.updateMode = true;
  EXPECT_EQ(query("5"), "ZK4BS\r");
  plotter.state.replies["5"] = "abc\rdef";
  EXPECT_EQ(query("5"), "abc\rdef");
  EXPECT_EQ(plotter.jobs().queries().size(), 7u);
  EXPECT_EQ(plotter.driverLog().substr(0, 34), "request:03,status,reply:4,reply:6,");
}

TEST_F(VirtualPlotterTest, RecordsPlotDataAsItArrives) {
  plotter.keepReceivedBytes(true);
  Bytes data(300, 0x5A);
  EXPECT_EQ(request(fileRecord(0x02, 300, "demo.plt")), 0);
  EXPECT_EQ(write(data, 0, 256), 0u);
  EXPECT_EQ(write(data, 256, 44), 0u);
  ASSERT_EQ(plotter.jobs().files().size(), 1u);
  const sim::ReceivedFile& file = plotter.jobs().files()[0];
  EXPECT_EQ(file.name, "demo.plt");
  EXPECT_TRUE(file.complete());
  EXPECT_EQ(file.chunks, (std::vector<DWORD>{256, 44}));
  EXPECT_EQ(file.bytes, data);
  EXPECT_EQ(file.checksum, 150u * 0x5A5Au);
  EXPECT_EQ(plotter.driverLog(), "request:02,status,data:256,data:44");
  EXPECT_EQ(request(fileRecord(0x02, 0, "empty.plt")), 0);
  EXPECT_TRUE(plotter.jobs().files()[1].complete());
  EXPECT_EQ(request(textRecord(0x06, "K")), 0);
  EXPECT_EQ(plotter.jobs().commands(), std::vector<std::string>{"K"});
}

// Asked to keep plot bytes, it keeps the start of a plot and of the rest only what a test of a
// plot of gigabytes can afford: the count and the checksum.
TEST_F(VirtualPlotterTest, KeepsTheStartOfABigPlotAndCountsTheRest) {
  plotter.keepReceivedBytes(true);
  Bytes data = varied(sim::kKeptPlotBytes * 3 + 1);
  EXPECT_EQ(request(fileRecord(0x02, DWORD(data.size()), "big.plt")), 0);
  EXPECT_EQ(write(data, 0, 1000), 0u);
  EXPECT_EQ(write(data, 1000, sim::kKeptPlotBytes), 0u);  // across the end of the kept start
  EXPECT_EQ(write(data, sim::kKeptPlotBytes + 1000, data.size() - sim::kKeptPlotBytes - 1000), 0u);
  const sim::ReceivedFile& file = plotter.jobs().files().at(0);
  EXPECT_TRUE(file.complete());
  EXPECT_EQ(file.bytes, Bytes(data.begin(), data.begin() + sim::kKeptPlotBytes));
  EXPECT_EQ(file.checksum, checksumOf(data));
}

TEST_F(VirtualPlotterTest, DrawsAPlotFileUntilTheLinkAbortEndsIt) {
  Bytes data = varied(0x30001);  // 3 s of drawing, an odd byte at the end
  EXPECT_EQ(request(fileRecord(0x02, DWORD(data.size()), "demo.plt")), 0);
  EXPECT_EQ(write(data, 0, 0x20001), 0u);
  EXPECT_EQ(query("B"), "Plotting\r") << "plotting from the first bytes";
  EXPECT_EQ(write(data, 0x20001, 0x10000), 0u);
  ASSERT_EQ(plotter.plots().size(), 1u);
  const sim::PlotRecord& plot = plotter.plots()[0];
  EXPECT_EQ(plot.name, "demo.plt");
  EXPECT_EQ(plot.bytes, data.size());
  EXPECT_EQ(plot.checksum, checksumOf(data));
  EXPECT_EQ(plot.checksum, plotter.jobs().files()[0].checksum);
  EXPECT_EQ(plot.pieces, 2u);
  EXPECT_TRUE(plotter.jobs().files()[0].bytes.empty()) << "plot bytes are not kept";

  EXPECT_EQ(request(textRecord(0x06, "K")), 0);  // no abort
  EXPECT_TRUE(plotter.plotting());
  EXPECT_EQ(request(textRecord(0x06, " ")), 0);
  EXPECT_FALSE(plotter.plotting());
  EXPECT_TRUE(plotter.plots()[0].aborted);
  EXPECT_EQ(query("B"), "Ready\r");
  EXPECT_EQ(request(textRecord(0x06, " ")), 0) << "nothing left to abort";
  EXPECT_EQ(plotter.driverLog().substr(plotter.driverLog().find("request:06")),
            "request:06,status,request:06,abort,status,request:03,status,reply:4,reply:6,"
            "request:06,status");
}

TEST_F(VirtualPlotterTest, TakesAGoodUpdateShutsOffAndComesBackWithTheNewFirmware) {
  int shutOffs = 0;
  plotter.whenShutOff = [&] { shutOffs += plotter.present() ? 100 : 1; };
  Bytes stream = updateStream("PROG 2.01 A3", Bytes(4096, 0x11));
  EXPECT_EQ(request(fileRecord(0x08, DWORD(stream.size()), "up.cas")), 0);
  EXPECT_EQ(write(stream, 0, stream.size()), 0u);
  ASSERT_EQ(plotter.updates().size(), 1u);
  EXPECT_TRUE(plotter.updates()[0].accepted);
  EXPECT_EQ(plotter.lastUpdateOutcome(), "accepted PROG 2.01 A3");
  EXPECT_FALSE(plotter.present());
  EXPECT_EQ(shutOffs, 1) << "told once, when it is off";
  EXPECT_EQ(USBLockDevice(device, usb::UDRV_LOCK_RELEASE), DWORD(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(plotter.driverLog(), "request:08,status,data:" + std::to_string(stream.size()) +
                                     ",vanished");

  USBCloseDevice(&device);
  plotter.powerOn();
  device = openPlotter();
  interrupt = openPipe(device, 0x83);
  bulkIn = openPipe(device, 0x81);
  EXPECT_EQ(query("6"), "2.01 A3\r");
}

TEST_F(VirtualPlotterTest, KeepsItsFirmwareWhenTheStreamDoesNotCheckOut) {
  Bytes stream = updateStream("PROG 2.01 A3", Bytes(4096, 0x11));
  stream.back() ^= 1;
  EXPECT_EQ(request(fileRecord(0x08, DWORD(stream.size()), "bad.cas")), 0);
  EXPECT_EQ(write(stream, 0, 1000), 0u);
  EXPECT_EQ(write(stream, 1000, stream.size() - 1000), 0u);
  EXPECT_EQ(plotter.lastUpdateOutcome(), "rejected: checksum");
  EXPECT_TRUE(plotter.present());
  EXPECT_EQ(query("6"), "1.14aKR A4\r");
}

TEST_F(VirtualPlotterTest, ANonzeroStatusWordStartsNoJob) {
  plotter.misbehaviour.statusWord = 0x0012;
  plotter.misbehaviour.statusWordFor = 0x03;
  EXPECT_EQ(request(fileRecord(0x02, 0, "a.plt")), 0);
  EXPECT_EQ(request(textRecord(0x03, "5")), 0x0012);
  EXPECT_EQ(plotter.jobs().queries().size(), 0u);
  plotter.misbehaviour = {};
  EXPECT_EQ(request(Bytes{0x09}), sim::kBadRequestWord);
  EXPECT_EQ(request(Bytes{0x03, 0x05, '5'}), sim::kBadRequestWord);  // length byte too big
  EXPECT_EQ(plotter.driverLog(),
            "request:02,status,request:03,status:0012,request:09,status:00FF,request:03,"
            "status:00FF");
}

TEST_F(VirtualPlotterTest, ASilentPlotterLetsEveryRequestTimeOut) {
  plotter.misbehaviour.silent = true;
  const usb::UdrvControlRecord control{1, 1, 0, 0};
  for (int i = 0; i < 2; ++i) {
    Bytes query = textRecord(0x03, "5");
    EXPECT_EQ(USBClassOrVendorRequest(device, &control, query.data(), DWORD(query.size()),
                                      nullptr),
              USBERR_TIMEOUT);
  }
  EXPECT_EQ(plotter.driverLog(), "timeout:03,timeout:03");
}

TEST_F(VirtualPlotterTest, AnnouncesAReplyLengthItWasToldTo) {
  plotter.misbehaviour.announcedReplyLength = 301;
  EXPECT_EQ(request(textRecord(0x03, "5")), 0);
  DWORD announced = 0;
  DWORD length = sizeof announced;
  EXPECT_EQ(USBReadPipe(bulkIn, &announced, &length, nullptr), 0u);
  EXPECT_EQ(announced, 301u);
}

TEST_F(VirtualPlotterTest, AStaleReplyIsReadBeforeTheFreshOne) {
  plotter.leaveStaleReply("old\r");
  EXPECT_EQ(query("5"), "old\r");
  EXPECT_EQ(reply(), "ZK400\r");
}

TEST_F(VirtualPlotterTest, VanishesAtTheChunkItWasToldTo) {
  plotter.misbehaviour.vanishAtChunk = 1;
  bool shutOff = false;
  plotter.whenShutOff = [&] { shutOff = true; };  // vanishing is no shutting off
  Bytes data(100, 1);
  EXPECT_EQ(request(fileRecord(0x02, 100, "a.plt")), 0);
  EXPECT_EQ(write(data, 0, 50), 0u);
  EXPECT_EQ(write(data, 50, 50), DWORD(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(plotter.present());
  EXPECT_EQ(plotter.driverLog(), "request:02,status,data:50,vanished");
  EXPECT_EQ(plotter.jobs().files().at(0).received, 50u);
  EXPECT_FALSE(shutOff);
}

}  // namespace
}  // namespace velkor::test
