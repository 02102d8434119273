// Device setup lists on the simulated machine: order, snapshots, the record size checks and
// the two-call detail pattern.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "ScriptedDevice.h"
#include "os/Handles.h"
#include "support/SimMachineTest.h"

namespace velkor::test {
namespace {

constexpr GUID kDriverClass = {0x239D60C9, 0xCCAF, 0x11D5, {0xAC, 0x21, 0x20, 0x4C, 0x4F, 0x4F, 0x50, 0x20}};
constexpr GUID kPrinterClass = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

class SimDeviceSetupTest : public SimMachineTest {
 protected:
  os::UniqueDevInfo list(const GUID& guid) {
    return os::UniqueDevInfo(
        os::SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  }

  // The paths a list holds for a class, read by the usual two calls per interface.
  std::vector<std::string> paths(HDEVINFO devices, const GUID& guid) {
    std::vector<std::string> found;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD i = 0; os::SetupDiEnumDeviceInterfaces(devices, nullptr, &guid, i, &data); ++i) {
      DWORD needed = 0;
      EXPECT_FALSE(os::SetupDiGetDeviceInterfaceDetailA(devices, &data, nullptr, 0, &needed, nullptr));
      EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
      std::vector<char> block(needed);
      auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(block.data());
      detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
      EXPECT_TRUE(os::SetupDiGetDeviceInterfaceDetailA(devices, &data, detail, needed, nullptr, nullptr));
      found.emplace_back(detail->DevicePath);
    }
    EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    return found;
  }

  std::shared_ptr<ScriptedDevice> first = std::make_shared<ScriptedDevice>();
  std::shared_ptr<ScriptedDevice> second = std::make_shared<ScriptedDevice>();
};

TEST_F(SimDeviceSetupTest, ListsHoldTheirClassInRegistrationOrder) {
  machine.addDeviceInterface(kDriverClass, "\\\\?\\usb#b", first);
  machine.addDeviceInterface(kPrinterClass, "\\\\?\\usb#printer", second);
  machine.addDeviceInterface(kDriverClass, "usb#a", second);  // gets its prefix
  os::UniqueDevInfo devices = list(kDriverClass);
  ASSERT_TRUE(devices);
  EXPECT_EQ(paths(devices.get(), kDriverClass),
            (std::vector<std::string>{"\\\\?\\usb#b", "\\\\?\\usb#a"}));
  EXPECT_TRUE(paths(devices.get(), kPrinterClass).empty());
}

TEST_F(SimDeviceSetupTest, AListIsASnapshotOfWhenItWasMade) {
  machine.addDeviceInterface(kDriverClass, "\\\\?\\usb#one", first);
  os::UniqueDevInfo before = list(kDriverClass);
  machine.addDeviceInterface(kDriverClass, "\\\\?\\usb#two", second);
  machine.removeDevice(*first);
  EXPECT_EQ(paths(before.get(), kDriverClass), (std::vector<std::string>{"\\\\?\\usb#one"}));
  EXPECT_EQ(paths(list(kDriverClass).get(), kDriverClass),
            (std::vector<std::string>{"\\\\?\\usb#two"}));
}

TEST_F(SimDeviceSetupTest, RecordSizesAreChecked) {
  machine.addDeviceInterface(kDriverClass, "\\\\?\\usb#one", first);
  os::UniqueDevInfo devices = list(kDriverClass);
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data + 4;
  EXPECT_FALSE(os::SetupDiEnumDeviceInterfaces(devices.get(), nullptr, &kDriverClass, 0, &data));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
  data.cbSize = sizeof data;
  ASSERT_TRUE(os::SetupDiEnumDeviceInterfaces(devices.get(), nullptr, &kDriverClass, 0, &data));
  EXPECT_EQ(data.Flags, static_cast<DWORD>(SPINT_ACTIVE));

  char block[64] = {};
  auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(block);
  detail->cbSize = sizeof block;  // must be the structure's size, not the block's
  EXPECT_FALSE(os::SetupDiGetDeviceInterfaceDetailA(devices.get(), &data, detail, sizeof block,
                                                    nullptr, nullptr));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));

  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  DWORD needed = 0;
  EXPECT_FALSE(os::SetupDiGetDeviceInterfaceDetailA(devices.get(), &data, detail, 8, &needed, nullptr));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(needed, offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + 12);

  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(os::SetupDiGetDeviceInterfaceDetailA(devices.get(), &data, detail, needed, nullptr, &info));
  EXPECT_STREQ(detail->DevicePath, "\\\\?\\usb#one");
  EXPECT_EQ(std::memcmp(&info.ClassGuid, &kDriverClass, sizeof(GUID)), 0);
}

TEST_F(SimDeviceSetupTest, ListsAreHandlesOfTheirOwn) {
  HDEVINFO devices = os::SetupDiGetClassDevsA(&kDriverClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE);
  EXPECT_EQ(machine.openHandleCount(), 1u);
  EXPECT_FALSE(os::CloseHandle(devices));  // not a kernel object's handle to close that way
  EXPECT_TRUE(os::SetupDiDestroyDeviceInfoList(devices));
  EXPECT_FALSE(os::SetupDiDestroyDeviceInfoList(devices));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(os::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_DEVICEINTERFACE),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace velkor::test
