// The virtual plotter's printing-class face, driven by the Windows calls the command executor
// makes: escape commands on PIPE02, replies as two transfers on PIPE129, the vendor and
// port-status requests on the device, and RAW jobs through the spooler: update streams in the
// download state, plot data, and the reset that ends a plot.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "os/Calls.h"
#include "os/Handles.h"
#include "os/sim/Deadlock.h"
#include "sim/PrintClassFace.h"
#include "sim/VirtualPlotter.h"
#include "tests/sim/SampleUpdateStream.h"
#include "tests/support/SimMachineTest.h"
#include "usb/UsbDriver.h"
#include "usb/UsbPrintClass.h"

namespace velkor::test {
namespace {

constexpr const char* kQueues = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Velkor LX-200]
"Port"="USB001"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Velkor LX-300]
"Port"="USB002"
)";

sim::PlotterIdentity printerIdentity() {
  sim::PlotterIdentity identity;
  identity.vendorId = 0x1A2B;
  identity.productId = 0x0C3D;
  identity.instanceSerial = "VK00A1";
  identity.connection = sim::Connection::Printer;
  return identity;
}

class PrintClassFaceTest : public SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    plotter.plugIn(machine);
  }

  os::UniqueHandle open(const std::string& below, bool overlapped = false) {
    std::string path = plotter.devicePath() + below;
    return os::UniqueHandle(os::CreateFileA(
        path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr));
  }

  void send(const std::string& letters) {
    os::UniqueHandle out = open("\\PIPE02");
    std::string bytes = "\x1b." + letters;
    DWORD written = 0;
    EXPECT_TRUE(os::WriteFile(out.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
  }

  // One overlapped read on PIPE129, as the executor makes it: nullopt when it fails (the reason
  // in readError) or does not complete within the wait (it is cancelled then).
  std::optional<std::string> transfer(DWORD length, DWORD wait = 1000) {
    os::UniqueHandle in = open("\\PIPE129", true);
    os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    std::string buffer(length, '\0');
    DWORD count = 0;
    readError = 0;
    if (!os::ReadFile(in.get(), buffer.data(), length, &count, &overlapped)) {
      readError = os::GetLastError();
      if (readError != ERROR_IO_PENDING) return std::nullopt;
      if (os::WaitForSingleObject(event.get(), wait) != WAIT_OBJECT_0) {
        os::CancelIo(in.get());
        return std::nullopt;
      }
      readError = 0;
      if (!os::GetOverlappedResult(in.get(), &overlapped, &count, FALSE)) {
        readError = os::GetLastError();
        return std::nullopt;
      }
    }
    return buffer.substr(0, count);
  }

  // A whole reply: the header transfer, then as many payload bytes as it announces.
  std::optional<std::string> reply() {
    std::optional<std::string> header = transfer(64);
    if (!header || header->size() != 4) return std::nullopt;
    DWORD length = 0;
    for (int i = 3; i >= 0; --i) length = length << 8 | BYTE((*header)[i]);
    return transfer(length);
  }

  std::optional<std::string> ask(const std::string& letters) {
    send(letters);
    return reply();
  }

  // A request on the device; nullopt when it fails (the last error tells why).
  std::optional<std::string> control(DWORD code, std::string input, DWORD outputLength = 512) {
    os::UniqueHandle device = open("");
    std::string output(outputLength, '\0');
    DWORD returned = 0;
    if (!os::DeviceIoControl(device.get(), code, input.data(), DWORD(input.size()), output.data(),
                             outputLength, &returned, nullptr)) {
      return std::nullopt;
    }
    return output.substr(0, returned);
  }

  sim::VirtualPlotter plotter{printerIdentity()};
  DWORD readError = 0;
};

TEST_F(PrintClassFaceTest, IsAPrinterInterfaceWithItsSerialInLowerCaseAndTwoPipes) {
  EXPECT_EQ(plotter.devicePath(),
            "\\\\?\\usb#vid_1a2b&pid_0c3d#vk00a1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
  os::UniqueDevInfo printers(os::SetupDiGetClassDevsA(
      &usb::GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  EXPECT_TRUE(os::SetupDiEnumDeviceInterfaces(printers.get(), nullptr,
                                              &usb::GUID_DEVINTERFACE_USBPRINT, 0, &data));
  os::UniqueDevInfo drivers(os::SetupDiGetClassDevsA(&usb::GUID_DEVINTERFACE_UDRV, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  EXPECT_FALSE(os::SetupDiEnumDeviceInterfaces(drivers.get(), nullptr, &usb::GUID_DEVINTERFACE_UDRV,
                                               0, &data));
  EXPECT_TRUE(open("\\PIPE02"));
  EXPECT_TRUE(open("\\pipe129"));
  EXPECT_FALSE(open("\\PIPE03"));
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(open("\\2"));
}

TEST_F(PrintClassFaceTest, AnswersAQueryWithAHeaderTransferThenThePayload) {
  send("6");
  EXPECT_EQ(transfer(64), std::string("\x0b\0\0\0", 4));
  EXPECT_EQ(transfer(64), "1.14aKR A4\r");
  send("4");
  EXPECT_EQ(transfer(64)->size(), 4u);
  // A read shorter than the transfer overruns, and the rest of that transfer is lost.
  EXPECT_EQ(transfer(3), std::nullopt);
  EXPECT_EQ(readError, sim::kBulkInOverrunError);
  EXPECT_EQ(transfer(64, 10), std::nullopt);
  EXPECT_EQ(readError, DWORD(ERROR_IO_PENDING));
  EXPECT_EQ(plotter.printerLog().summary(),
            "write:\\x1b.6,read:4,read:11,write:\\x1b.4,read:4,read:3,read:0");

  plotter.state.updateMode = true;
  EXPECT_EQ(ask("5"), "ZK4BS\r");
  EXPECT_EQ(ask("S=:"), "1\r");
  plotter.state.replies["5"] = "custom";
  EXPECT_EQ(ask("5"), "custom");
}

TEST_F(PrintClassFaceTest, ADummyOrUnknownCommandHasNoReplyAndTheReadWaitsUntilCancelled) {
  send("0");
  os::sim::Tick start = machine.now();
  EXPECT_EQ(transfer(64, 10), std::nullopt);
  EXPECT_EQ(machine.now() - start, 10u);
  send("Q");
  EXPECT_EQ(transfer(64, 10), std::nullopt);
  EXPECT_EQ(plotter.printerLog().summary(), "write:\\x1b.0,read:0,write:\\x1b.Q,read:0");
}

TEST_F(PrintClassFaceTest, SetsItsSerialNumberResetsAndEntersItsDownloadState) {
  send("S12345678:");
  EXPECT_EQ(plotter.state.serialNumber, "12345678");
  send("S99999999");  // cut off before its ":": not taken
  EXPECT_EQ(ask("S:"), "12345678\r");

  send("B");
  send("K");
  EXPECT_EQ(transfer(64, 10), std::nullopt);
  EXPECT_FALSE(plotter.downloadState());
  send("DL");
  EXPECT_TRUE(plotter.downloadState());
}

TEST_F(PrintClassFaceTest, StaleRepliesWaitAfterPowerOnAndHandlesFailOnceItIsGone) {
  os::UniqueHandle in = open("\\PIPE129");
  plotter.unplug();
  EXPECT_FALSE(plotter.present());
  BYTE buffer[64];
  DWORD count = 0;
  EXPECT_FALSE(os::ReadFile(in.get(), buffer, sizeof buffer, &count, nullptr));
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(plotter.printerLog().summary(), "vanished");

  plotter.misbehaviour.staleReplies = 2;
  plotter.powerOn();
  plotter.leaveStaleReply("old");
  EXPECT_EQ(reply(), "Ready\r");
  EXPECT_EQ(reply(), "Ready\r");
  EXPECT_EQ(reply(), "old");
  EXPECT_EQ(transfer(64, 10), std::nullopt);
}

TEST_F(PrintClassFaceTest, ShapesItsRepliesAsItIsToldTo) {
  plotter.misbehaviour.headerBytes = 3;
  send("7");
  EXPECT_EQ(transfer(64), std::string("\x05\0\0", 3));
  EXPECT_EQ(transfer(64), "3.02\r");

  plotter.misbehaviour.headerBytes.reset();
  plotter.misbehaviour.announcedReplyLength = 300;
  send("7");
  EXPECT_EQ(transfer(64), std::string("\x2c\x01\0\0", 4));
  EXPECT_EQ(transfer(300), "3.02\r");

  plotter.misbehaviour.announcedReplyLength.reset();
  plotter.misbehaviour.replyDelay = 50;
  send("7");
  os::sim::Tick start = machine.now();
  EXPECT_EQ(reply(), "3.02\r");
  EXPECT_EQ(machine.now() - start, 100u);
}

TEST_F(PrintClassFaceTest, AnswersVendorAndPortStatusRequests) {
  using std::string_literals::operator""s;
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, "5\0\0"s), "ZK400\r");
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, "4\0\0"s), "Vise 80\r");
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, "S:\0"s, 4), "4012");
  send("B");
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, "K\0\0"s), "");
  EXPECT_EQ(transfer(64, 10), std::nullopt);  // the reset dropped the queued reply
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_GET_LPT_STATUS, "", 2048),
            std::string(1, char(sim::kLptStatusOnLine)));
  EXPECT_EQ(plotter.printerLog().summary(), "get:5,get:4,get:S:,write:\\x1b.B,set:K,read:0,lpt");
}

TEST_F(PrintClassFaceTest, ASwitchedOffPlotterAnswersNothing) {
  plotter.misbehaviour.switchedOff = true;
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_GET_LPT_STATUS, "", 2048), std::nullopt);
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_GEN_FAILURE));
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, std::string("5\0\0", 3)), std::nullopt);
  send("5");
  EXPECT_EQ(transfer(64, 10), std::nullopt);
  EXPECT_EQ(plotter.printerLog().summary(), "lpt-failed,get:5,write:\\x1b.5,read:0");
}

TEST_F(PrintClassFaceTest, ASilentPlotterIsOnLineButNeverAnswers) {
  plotter.misbehaviour.silent = true;
  EXPECT_TRUE(control(usb::IOCTL_USBPRINT_GET_LPT_STATUS, "", 2048));
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, std::string("K\0\0", 3)), std::nullopt);
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_GEN_FAILURE));
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND, std::string("6\0\0", 3)), std::nullopt);
  send("6");
  EXPECT_EQ(transfer(64, 1000), std::nullopt);
}

// A plotter that takes no data: writes and requests pend until CancelIo ends them with
// ERROR_OPERATION_ABORTED, after which GetOverlappedResult returns; a blocking write would wait
// for ever.
TEST_F(PrintClassFaceTest, APlotterTakingNoDataLeavesWritesAndRequestsPendingUntilCancelled) {
  plotter.misbehaviour.refusesData = true;
  os::UniqueHandle out = open("\\PIPE02", true);
  os::UniqueHandle device = open("", true);
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  const os::sim::Tick start = machine.now();
  // Starts a request, lets it wait 1000 ms, cancels it; the error it ended with.
  auto cancelled = [&](HANDLE handle, const auto& startRequest) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    EXPECT_FALSE(startRequest(overlapped));
    EXPECT_EQ(os::GetLastError(), DWORD(ERROR_IO_PENDING));
    EXPECT_EQ(os::WaitForSingleObject(event.get(), 1000), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(os::CancelIo(handle));
    DWORD count = 7;
    EXPECT_FALSE(os::GetOverlappedResult(handle, &overlapped, &count, TRUE));
    EXPECT_EQ(count, 0u);
    return os::GetLastError();
  };
  const std::string command = "\x1b.5";
  EXPECT_EQ(cancelled(out.get(),
                      [&](OVERLAPPED& overlapped) {
                        return os::WriteFile(out.get(), command.data(), DWORD(command.size()),
                                             nullptr, &overlapped);
                      }),
            DWORD(ERROR_OPERATION_ABORTED));
  char input[3] = {'K', 0, 0};
  char output[512];
  for (DWORD code : {usb::IOCTL_USBPRINT_GET_LPT_STATUS, usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND,
                     usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND}) {
    EXPECT_EQ(cancelled(device.get(),
                        [&](OVERLAPPED& overlapped) {
                          return os::DeviceIoControl(device.get(), code, input, sizeof input,
                                                     output, sizeof output, nullptr, &overlapped);
                        }),
              DWORD(ERROR_OPERATION_ABORTED));
  }
  EXPECT_EQ(machine.now() - start, 4000u);
  EXPECT_EQ(plotter.printerLog().summary(),
            "refused:write:\\x1b.5,refused:lpt,refused:get:K,refused:set:K");
  os::UniqueHandle blocking = open("\\PIPE02");
  DWORD written = 0;
  EXPECT_THROW(os::WriteFile(blocking.get(), command.data(), 3, &written, nullptr),
               os::sim::Deadlock);
}

class PrintClassJobTest : public PrintClassFaceTest {
 protected:
  void SetUp() override {
    PrintClassFaceTest::SetUp();
    ASSERT_TRUE(machine.loadRegistry(kQueues));
  }

  void print(const char* queue, std::string data, std::string document = "job") {
    HANDLE raw = nullptr;
    std::string name = queue;
    ASSERT_TRUE(os::OpenPrinterA(name.data(), &raw, nullptr));
    os::UniquePrinter printer(raw);
    char datatype[] = "RAW";
    DOC_INFO_1A info{document.data(), nullptr, datatype};
    EXPECT_NE(os::StartDocPrinterA(printer.get(), 1, reinterpret_cast<BYTE*>(&info)), 0u);
    EXPECT_TRUE(os::StartPagePrinter(printer.get()));
    DWORD written = 0;
    EXPECT_TRUE(os::WritePrinter(printer.get(), data.data(), DWORD(data.size()), &written));
    EXPECT_TRUE(os::EndPagePrinter(printer.get()));
    EXPECT_TRUE(os::EndDocPrinter(printer.get()));
  }
};

TEST_F(PrintClassJobTest, RawJobsOnItsPortReachItWhilePresent) {
  plotter.servePort("USB001");
  plotter.keepReceivedBytes(true);
  print("Velkor LX-200", "\x1b.DL");
  ASSERT_EQ(plotter.printJobs().size(), 1u);
  EXPECT_EQ(plotter.printJobs()[0].queue, "Velkor LX-200");
  EXPECT_EQ(std::string(plotter.printJobs()[0].bytes.begin(), plotter.printJobs()[0].bytes.end()),
            "\x1b.DL");
  plotter.unplug();
  print("Velkor LX-200", "lost");
  EXPECT_EQ(plotter.printJobs().size(), 1u);
  EXPECT_EQ(plotter.printerLog().summary(), "job:4,vanished");
  EXPECT_EQ(machine.printJobs().size(), 2u);
}

TEST_F(PrintClassJobTest, OfABigJobTheStartIsKeptAndTheRestCounted) {
  plotter.servePort("USB001");
  plotter.keepReceivedBytes(true);
  const std::vector<BYTE> data = varied(sim::kKeptPlotBytes + 4097);
  print("Velkor LX-200", std::string(data.begin(), data.end()));
  ASSERT_EQ(plotter.printJobs().size(), 1u);
  const sim::ReceivedPrintJob& job = plotter.printJobs()[0];
  EXPECT_EQ(job.bytes, std::vector<BYTE>(data.begin(), data.begin() + sim::kKeptPlotBytes));
  EXPECT_EQ(job.size, data.size());
  EXPECT_EQ(job.checksum, checksumOf(data));
}

TEST_F(PrintClassJobTest, AJobAfterThePlotterIsGoneReachesNobody) {
  {
    sim::PlotterIdentity other = printerIdentity();
    other.instanceSerial = "VK00B2";
    sim::VirtualPlotter gone(other);
    gone.servePort("USB002");  // before it is plugged in
    gone.plugIn(machine);
    print("Velkor LX-300", "first");
    EXPECT_EQ(gone.printJobs().size(), 1u);
  }
  print("Velkor LX-300", "second");
  EXPECT_EQ(machine.printJobs().size(), 2u);
}

constexpr const char* kQueue = "Velkor LX-200";

std::string text(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

class PrintClassIntakeTest : public PrintClassJobTest {
 protected:
  void SetUp() override {
    PrintClassJobTest::SetUp();
    plotter.servePort("USB001");
  }

  // Bytes as the print operations send a file: jobs of 1 MiB and the rest, and an empty job
  // after a length that is a multiple of 1 MiB.
  void printInJobs(const std::vector<BYTE>& bytes, const std::string& document) {
    constexpr size_t kJob = size_t{1} << 20;
    for (size_t at = 0;;) {
      size_t count = std::min(kJob, bytes.size() - at);
      print(kQueue, text({bytes.begin() + at, bytes.begin() + at + count}), document);
      at += count;
      if (count < kJob) break;
    }
  }
};

TEST_F(PrintClassIntakeTest, TakesAnUpdateStreamInThreeJobsAndComesBackWithIt) {
  int shutOffs = 0;
  plotter.whenShutOff = [&] { shutOffs += plotter.present() ? 100 : 1; };
  std::vector<BYTE> stream = updateStream("PROG 2.01 A3", varied(0x240000));
  print(kQueue, "\x1b.DL", "~plusb1");
  printInJobs(stream, "~plusb1");
  EXPECT_EQ(shutOffs, 1) << "told once, when it is off";
  EXPECT_FALSE(plotter.present());
  EXPECT_EQ(plotter.lastUpdateOutcome(), "accepted PROG 2.01 A3");
  EXPECT_TRUE(plotter.plots().empty()) << "an update stream is no plot data";
  EXPECT_EQ(plotter.printerLog().summary(),
            "job:4,job:1048576,job:1048576,job:" + std::to_string(stream.size() - 0x200000) +
                ",vanished");

  plotter.powerOn();
  EXPECT_FALSE(plotter.downloadState());
  EXPECT_EQ(ask("6"), "2.01 A3\r");
}

TEST_F(PrintClassIntakeTest, EntersItsDownloadStateByCommandOrByJobAndAnswersInIt) {
  send("DL");
  EXPECT_TRUE(plotter.downloadState());
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_GET_LPT_STATUS, "", 2048),
            std::string(1, char(sim::kLptStatusOnLine)));
  EXPECT_EQ(ask("6"), "1.14aKR A4\r") << "its boot loader answers";
  print(kQueue, "\x1b.DL");  // as the updater sends it after the command
  print(kQueue, text(updateStream("BOOT 3.10", varied(64))));
  EXPECT_EQ(plotter.updates().size(), 1u) << "the job ESC .DL was no stream";
  EXPECT_EQ(plotter.lastUpdateOutcome(), "accepted BOOT 3.10");
  plotter.powerOn();
  EXPECT_EQ(ask("7"), "3.10\r");

  // Within a stream the same four bytes are the stream's: here its whole image.
  std::vector<BYTE> stream = updateStream("PROG 2.02", {0x1B, 0x2E, 0x44, 0x4C});
  print(kQueue, "\x1b.DL");
  EXPECT_TRUE(plotter.downloadState());
  print(kQueue, text({stream.begin(), stream.end() - 4}));
  print(kQueue, "\x1b.DL");
  EXPECT_EQ(plotter.lastUpdateOutcome(), "accepted PROG 2.02");
}

TEST_F(PrintClassIntakeTest, RefusesABadStreamStaysOnAndTakesWhatFollowsAsPlotData) {
  std::vector<BYTE> stream = updateStream("PROG 2.01 A3", varied(4096));
  stream.back() ^= 1;
  print(kQueue, "\x1b.DL", "up");
  print(kQueue, text(stream) + "PA0,0;", "up");  // overruns the announced count
  EXPECT_TRUE(plotter.present());
  EXPECT_FALSE(plotter.downloadState());
  EXPECT_EQ(plotter.lastUpdateOutcome(), "rejected: checksum");
  EXPECT_EQ(ask("6"), "1.14aKR A4\r");
  ASSERT_EQ(plotter.plots().size(), 1u);
  EXPECT_EQ(plotter.plots()[0].bytes, 6u);

  print(kQueue, "\x1b.DL");
  print(kQueue, std::string(100, 'x'));
  EXPECT_EQ(plotter.lastUpdateOutcome(), "rejected: no transfer line");
}

TEST_F(PrintClassIntakeTest, RecordsPlotJobsByDocumentWithTheirChecksums) {
  std::vector<BYTE> first = varied(1001);  // odd: its last byte pairs with the next job's first
  std::vector<BYTE> second(500, 0x42);
  print(kQueue, text(first), "a.plt");
  print(kQueue, text(second), "a.plt");
  print(kQueue, "", "a.plt");  // an empty job changes nothing
  print(kQueue, "PA;", "b.plt");
  print(kQueue, "PD;", "a.plt");
  std::vector<BYTE> both = first;
  both.insert(both.end(), second.begin(), second.end());
  const std::vector<sim::PlotRecord>& plots = plotter.plots();
  ASSERT_EQ(plots.size(), 3u);
  EXPECT_EQ(plots[0].name, "a.plt");
  EXPECT_EQ(plots[0].bytes, 1501u);
  EXPECT_EQ(plots[0].checksum, checksumOf(both));
  EXPECT_EQ(plots[0].pieces, 2u);
  EXPECT_EQ(plots[2].name, "a.plt") << "not right after the first: a file of its own";
  ASSERT_EQ(plotter.printJobs().size(), 5u);
  EXPECT_EQ(plotter.printJobs()[1].checksum, checksumOf(second));
  EXPECT_EQ(plotter.printJobs()[2].size, 0u);
  EXPECT_EQ(ask("B"), "Plotting\r");
}

TEST_F(PrintClassIntakeTest, AResetEndsThePlotInProgress) {
  print(kQueue, "PA0,0;PD10,10;", "a.plt");
  send("K");
  EXPECT_FALSE(plotter.plotting());
  EXPECT_EQ(ask("B"), "Ready\r");
  print(kQueue, "PU;", "a.plt");
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, std::string("K\0\0", 3)), "");
  EXPECT_EQ(control(usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND, std::string("K\0\0", 3)), "");
  ASSERT_EQ(plotter.plots().size(), 2u) << "what comes after an abort is a file of its own";
  EXPECT_TRUE(plotter.plots()[0].aborted);
  EXPECT_TRUE(plotter.plots()[1].aborted);
  EXPECT_EQ(plotter.printerLog().summary(),
            "job:14,write:\\x1b.K,abort,write:\\x1b.B,read:4,read:6,job:3,set:K,abort,set:K");
}

TEST_F(PrintClassIntakeTest, APlotOfMegabytesKeepsCountsNotBytesAndTakesItsTime) {
  std::vector<BYTE> plot = varied(0x280000);
  printInJobs(plot, "big.plt");
  ASSERT_EQ(plotter.plots().size(), 1u);
  EXPECT_EQ(plotter.plots()[0].bytes, plot.size());
  EXPECT_EQ(plotter.plots()[0].pieces, 3u);
  EXPECT_EQ(plotter.plots()[0].checksum, checksumOf(plot));
  for (const sim::ReceivedPrintJob& job : plotter.printJobs()) EXPECT_TRUE(job.bytes.empty());
  ASSERT_EQ(machine.printJobs().size(), 3u);
  EXPECT_EQ(machine.printJobs()[2].size, 0x80000u);

  os::Sleep(39999);  // 1 s per 64 KiB
  EXPECT_TRUE(plotter.plotting());
  os::Sleep(1);
  EXPECT_FALSE(plotter.plotting());
}

}  // namespace
}  // namespace velkor::test
