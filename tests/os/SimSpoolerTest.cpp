// The simulated print spooler: queues from the registry, jobs recorded and handed to their
// port after their queue's print delay, held by a queue that is not ready, calls out of order
// refused.
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/Handles.h"
#include "support/SimMachineTest.h"

namespace velkor::test {
namespace {

constexpr const char* kQueues = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Velkor LX-200]
"Port"="USB001"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Office Laser]
"Port"="IP_10.0.0.7"
)";

class SimSpoolerTest : public SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    ASSERT_TRUE(machine.loadRegistry(kQueues));
    machine.attachPort("usb001", [this](const os::sim::PrintJob& job, std::span<const BYTE> data) {
      delivered.push_back({job.document, std::string(data.begin(), data.end())});
    });
  }

  os::UniquePrinter openQueue(std::string name) {
    HANDLE printer = nullptr;
    EXPECT_TRUE(os::OpenPrinterA(name.data(), &printer, nullptr)) << name;
    return os::UniquePrinter(printer);
  }

  DWORD startDoc(HANDLE printer, const char* datatype) {
    char document[] = "Velkor firmware";
    DOC_INFO_1A info{document, nullptr, const_cast<char*>(datatype)};
    return os::StartDocPrinterA(printer, 1, reinterpret_cast<BYTE*>(&info));
  }

  // A whole RAW job of ESC ".DL" on the open queue: its ID.
  DWORD printJob(HANDLE printer) {
    const DWORD id = startDoc(printer, "RAW");
    char data[] = "\x1b.DL";
    DWORD written = 0;
    EXPECT_TRUE(os::StartPagePrinter(printer) && os::WritePrinter(printer, data, 4, &written) &&
                os::EndPagePrinter(printer) && os::EndDocPrinter(printer));
    return id;
  }

  // A Get call's answer asked the two-call way, copied out of buffer, which it points into.
  template <typename Info, typename Get>
  Info ask(Get get) {
    DWORD needed = 0;
    EXPECT_FALSE(get(nullptr, 0, &needed));
    EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    buffer.assign(needed, 0xCC);
    Info info{};
    EXPECT_TRUE(get(buffer.data(), needed, &needed));
    std::memcpy(&info, buffer.data(), sizeof info);
    return info;
  }
  JOB_INFO_1A job(HANDLE printer, DWORD id) {
    return ask<JOB_INFO_1A>([&](LPBYTE data, DWORD size, LPDWORD needed) {
      return os::GetJobA(printer, id, 1, data, size, needed);
    });
  }
  PRINTER_INFO_2A queue(HANDLE printer) {
    return ask<PRINTER_INFO_2A>([&](LPBYTE data, DWORD size, LPDWORD needed) {
      return os::GetPrinterA(printer, 2, data, size, needed);
    });
  }
  bool inBuffer(const char* text) const {
    const auto* at = reinterpret_cast<const BYTE*>(text);
    return at >= buffer.data() && at < buffer.data() + buffer.size();
  }

  std::vector<BYTE> buffer;

  struct Delivered {
    std::string document;
    std::string data;
  };
  std::vector<Delivered> delivered;
};

TEST_F(SimSpoolerTest, ARawJobIsRecordedAndReachesItsPort) {
  os::UniquePrinter printer = openQueue("velkor lx-200");
  ASSERT_TRUE(printer);
  EXPECT_EQ(startDoc(printer.get(), "RAW"), 1u);
  EXPECT_TRUE(os::StartPagePrinter(printer.get()));
  DWORD written = 0;
  char data[] = "\x1b.DL";
  EXPECT_TRUE(os::WritePrinter(printer.get(), data, 4, &written));
  EXPECT_EQ(written, 4u);
  EXPECT_TRUE(os::EndPagePrinter(printer.get()));
  EXPECT_TRUE(os::EndDocPrinter(printer.get()));

  ASSERT_EQ(machine.printJobs().size(), 1u);
  const os::sim::PrintJob& job = machine.printJobs()[0];
  EXPECT_EQ(job.queue, "Velkor LX-200");
  EXPECT_EQ(job.document, "Velkor firmware");
  EXPECT_EQ(job.datatype, "RAW");
  EXPECT_EQ(job.size, 4u) << "the record keeps the count, not the bytes";
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].document, "Velkor firmware");
  EXPECT_EQ(delivered[0].data, "\x1b.DL");
}

TEST_F(SimSpoolerTest, AJobWaitsItsPrintDelayThenReachesItsPortAndLeavesTheQueue) {
  machine.configureQueue("velkor lx-200", {os::sim::QueueState::Ready, 500});
  os::UniquePrinter printer = openQueue("Velkor LX-200");
  const DWORD id = printJob(printer.get());
  const JOB_INFO_1A waiting = job(printer.get(), id);
  EXPECT_EQ(waiting.JobId, id);
  EXPECT_EQ(waiting.Status, static_cast<DWORD>(JOB_STATUS_PRINTING));
  EXPECT_EQ(waiting.Position, 1u);
  EXPECT_STREQ(waiting.pDocument, "Velkor firmware");
  EXPECT_STREQ(waiting.pPrinterName, "Velkor LX-200");
  EXPECT_TRUE(inBuffer(waiting.pDocument) && inBuffer(waiting.pDatatype));
  const PRINTER_INFO_2A ready = queue(printer.get());
  EXPECT_EQ(ready.Status, 0u);
  EXPECT_EQ(ready.cJobs, 1u);
  EXPECT_STREQ(ready.pPortName, "USB001");
  EXPECT_TRUE(inBuffer(ready.pPortName));

  os::Sleep(499);
  EXPECT_TRUE(delivered.empty());
  os::Sleep(1);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(machine.printJobs()[0].ended, 0u);
  EXPECT_EQ(machine.printJobs()[0].printed, std::optional<os::sim::Tick>(500));
  DWORD needed = 0;
  for (DWORD gone : {id, id + 1}) {
    EXPECT_FALSE(os::GetJobA(printer.get(), gone, 1, nullptr, 0, &needed));
    EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(queue(printer.get()).cJobs, 0u);
}

TEST_F(SimSpoolerTest, APausedOfflineOrFailedQueueKeepsItsJobsAndSaysWhy) {
  struct Case {
    os::sim::QueueState state;
    DWORD printerStatus;
    DWORD firstJobStatus;
  };
  const Case cases[] = {{os::sim::QueueState::Paused, PRINTER_STATUS_PAUSED, 0},
                        {os::sim::QueueState::Offline, PRINTER_STATUS_OFFLINE, JOB_STATUS_OFFLINE},
                        {os::sim::QueueState::Error, PRINTER_STATUS_ERROR, JOB_STATUS_ERROR}};
  os::UniquePrinter printer = openQueue("Velkor LX-200");
  DWORD first = 0;
  for (const Case& c : cases) {
    machine.configureQueue("Velkor LX-200", {c.state, 0});
    const DWORD id = printJob(printer.get());
    if (first == 0) first = id;
    os::Sleep(60000);
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(queue(printer.get()).Status, c.printerStatus);
    EXPECT_EQ(job(printer.get(), first).Status, c.firstJobStatus);
    EXPECT_EQ(job(printer.get(), id).Position, queue(printer.get()).cJobs);
  }
  EXPECT_EQ(machine.printJobs().size(), 3u) << "held jobs are recorded as they end";
}

TEST_F(SimSpoolerTest, OtherDataTypesAndOtherPortsAreOnlyRecorded) {
  os::UniquePrinter usb = openQueue("Velkor LX-200");
  EXPECT_NE(startDoc(usb.get(), "TEXT"), 0u);
  EXPECT_TRUE(os::EndDocPrinter(usb.get()));
  os::UniquePrinter office = openQueue("Office Laser");
  EXPECT_NE(startDoc(office.get(), nullptr), 0u);  // no data type: RAW
  EXPECT_TRUE(os::EndDocPrinter(office.get()));
  ASSERT_EQ(machine.printJobs().size(), 2u);
  EXPECT_EQ(machine.printJobs()[1].datatype, "RAW");
  EXPECT_TRUE(delivered.empty());
}

TEST_F(SimSpoolerTest, CallsOutOfOrderFail) {
  os::UniquePrinter printer = openQueue("Velkor LX-200");
  DWORD written = 0;
  char byte = 0;
  EXPECT_FALSE(os::StartPagePrinter(printer.get()));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_SPL_NO_STARTDOC));
  EXPECT_FALSE(os::WritePrinter(printer.get(), &byte, 1, &written));
  EXPECT_FALSE(os::EndDocPrinter(printer.get()));
  char document[] = "doc";
  DOC_INFO_1A info{document, nullptr, nullptr};
  EXPECT_EQ(os::StartDocPrinterA(printer.get(), 2, reinterpret_cast<BYTE*>(&info)), 0u);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));

  EXPECT_NE(startDoc(printer.get(), "RAW"), 0u);
  EXPECT_EQ(startDoc(printer.get(), "RAW"), 0u);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_STATE));
  EXPECT_FALSE(os::EndPagePrinter(printer.get()));
  EXPECT_TRUE(os::StartPagePrinter(printer.get()));
  EXPECT_FALSE(os::StartPagePrinter(printer.get()));
}

TEST_F(SimSpoolerTest, AJobNotEndedIsDiscardedAtClose) {
  {
    os::UniquePrinter printer = openQueue("Velkor LX-200");
    startDoc(printer.get(), "RAW");
  }
  EXPECT_TRUE(machine.printJobs().empty());
}

TEST_F(SimSpoolerTest, PrintersAreHandlesOfTheirOwn) {
  HANDLE printer = nullptr;
  char name[] = "Velkor LX-200";
  ASSERT_TRUE(os::OpenPrinterA(name, &printer, nullptr));
  EXPECT_EQ(machine.openHandleCount(), 1u);
  EXPECT_FALSE(os::CloseHandle(printer));
  EXPECT_TRUE(os::ClosePrinter(printer));
  EXPECT_FALSE(os::ClosePrinter(printer));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SimSpoolerTest, ShortWritesAreReported) {
  machine.faults().on(os::sim::Call::WritePrinter).truncate(3);
  os::UniquePrinter printer = openQueue("Velkor LX-200");
  startDoc(printer.get(), "RAW");
  DWORD written = 0;
  char data[] = "123456";
  EXPECT_TRUE(os::WritePrinter(printer.get(), data, 6, &written));
  EXPECT_EQ(written, 3u);
}

}  // namespace
}  // namespace velkor::test
