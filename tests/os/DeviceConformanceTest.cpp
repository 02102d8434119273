// Device lists, the print spooler, message texts and local memory: what the system can rely on
// without any device or queue being installed.
#include <cstring>
#include <string>

#include "ConformanceTest.h"
#include "os/Handles.h"

namespace conformance {
namespace {

CONFORMANCE_SUITE(DeviceConformance);

// A class no machine has devices of.
constexpr GUID kUnusedClass = {0x5E1F3A27, 0x0B5C, 0x4D7A, {0x9C, 0x1E, 0x7A, 0x52, 0x11, 0xC3, 0x90, 0x6D}};

TEST_P(DeviceConformance, AClassWithoutDevicesListsNothing) {
  os::UniqueDevInfo list(
      os::SetupDiGetClassDevsA(&kUnusedClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  ASSERT_TRUE(list) << os::GetLastError();
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  EXPECT_FALSE(os::SetupDiEnumDeviceInterfaces(list.get(), nullptr, &kUnusedClass, 0, &data));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_P(DeviceConformance, AnUnknownPrintQueueDoesNotOpen) {
  char name[] = "Velkor Test Queue That Is Not There";
  HANDLE printer = nullptr;
  EXPECT_FALSE(os::OpenPrinterA(name, &printer, nullptr));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
}

TEST_P(DeviceConformance, SystemMessagesEndInALineBreak) {
  LPSTR text = nullptr;
  DWORD length = os::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, ERROR_FILE_NOT_FOUND, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPSTR>(&text), 0, nullptr);
  ASSERT_GT(length, 2u);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::strlen(text), length);
  EXPECT_EQ(std::string(text + length - 2), "\r\n");
  EXPECT_EQ(os::LocalFree(text), nullptr);
}

TEST_P(DeviceConformance, AnUnknownMessageIsNotFound) {
  LPSTR text = nullptr;
  EXPECT_EQ(os::FormatMessageA(
                FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                    FORMAT_MESSAGE_IGNORE_INSERTS,
                nullptr, 0xE0100042u, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr),
            0u);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
}

TEST_P(DeviceConformance, ZeroInitialisedLocalMemory) {
  auto* block = static_cast<BYTE*>(os::LocalAlloc(LPTR, 64));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(block[i], 0);
  EXPECT_EQ(os::LocalFree(block), nullptr);
}

}  // namespace
}  // namespace conformance
