// The simulated machine's handle table and its smaller services: message texts, string
// resources, local memory and device notifications.
#include <cstdint>
#include <cstring>
#include <string>

#include "os/Handles.h"
#include "support/SimMachineTest.h"

namespace velkor::test {
namespace {

class SimServicesTest : public SimMachineTest {};

TEST_F(SimServicesTest, HandlesLookLikeWindowsOnesAndAreNeverReused) {
  HANDLE first = os::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(os::CloseHandle(first));
  HANDLE second = os::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  EXPECT_NE(second, first);
  EXPECT_NE(second, nullptr);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(second) % 4, 0u);
  EXPECT_EQ(os::WaitForSingleObject(first, 0), WAIT_FAILED);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(os::CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_TRUE(os::CloseHandle(second));
}

TEST_F(SimServicesTest, EveryKindOfHandleCounts) {
  ASSERT_TRUE(machine.loadRegistry("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"));
  os::UniqueHandle event(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  HKEY key = nullptr;
  ASSERT_EQ(os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_SUCCESS);
  os::UniqueRegKey keyOwner(key);
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid.Data1 = 0x239D60C9;
  HWND window = reinterpret_cast<HWND>(0x1234);
  HDEVNOTIFY notification =
      os::RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  ASSERT_NE(notification, nullptr);
  EXPECT_EQ(machine.openHandleCount(), 3u);
  ASSERT_EQ(machine.deviceNotifications().size(), 1u);
  EXPECT_EQ(machine.deviceNotifications()[0].recipient, static_cast<HANDLE>(window));
  EXPECT_EQ(machine.deviceNotifications()[0].classGuid.Data1, 0x239D60C9u);
  // Each kind closes only through its own call.
  EXPECT_NE(os::RegCloseKey(static_cast<HKEY>(event.get())), ERROR_SUCCESS);
  EXPECT_FALSE(os::CloseHandle(notification));
  EXPECT_TRUE(os::UnregisterDeviceNotification(notification));
  EXPECT_TRUE(machine.deviceNotifications().empty());
}

TEST_F(SimServicesTest, NotificationFiltersAreChecked) {
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = 3;
  HWND window = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(os::RegisterDeviceNotificationA(window, &filter, 0), nullptr);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(os::RegisterDeviceNotificationA(nullptr, &filter, 0), nullptr);
}

TEST_F(SimServicesTest, MessageTextsAsWindowsGivesThem) {
  char text[128];
  DWORD length = os::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, ERROR_DEVICE_NOT_CONNECTED, 0, text, sizeof text,
                                    nullptr);
  EXPECT_STREQ(text, "The device is not connected.\r\n");
  EXPECT_EQ(length, std::strlen(text));
  EXPECT_EQ(os::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_DEVICE_NOT_CONNECTED, 0,
                               text, 10, nullptr),
            0u);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SimServicesTest, AllocatedMessagesAreLocalBlocks) {
  LPSTR text = nullptr;
  os::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
                     ERROR_GEN_FAILURE, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  EXPECT_STREQ(text, "A device attached to the system is not functioning.\r\n");
  EXPECT_EQ(machine.localAllocationCount(), 1u);
  EXPECT_EQ(os::LocalFree(text), nullptr);
  EXPECT_EQ(machine.localAllocationCount(), 0u);
  // A block that is not the heap's is refused, not freed.
  char foreign[4];
  EXPECT_EQ(os::LocalFree(foreign), static_cast<HLOCAL>(foreign));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SimServicesTest, StringResourcesAreCutToTheBuffer) {
  machine.setStringResource(101, "Velkor update");
  char text[7];
  EXPECT_EQ(os::LoadStringA(nullptr, 101, text, sizeof text), 6);
  EXPECT_STREQ(text, "Velkor");
  EXPECT_EQ(os::LoadStringA(nullptr, 102, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
}

TEST_F(SimServicesTest, FileSizeNeedsAFile) {
  os::UniqueHandle event(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  EXPECT_EQ(os::GetFileSize(event.get(), nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace velkor::test
