// The simulated print spooler: queues from the registry, jobs recorded and handed to their
// port, calls out of order refused.
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
