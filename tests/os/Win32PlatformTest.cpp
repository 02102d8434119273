// The real Windows platform against the contracts written on os::Platform (run under Wine).
#ifdef _WIN32

#include "os/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "os/Handles.h"

namespace {

class Win32PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    path_ = std::string(temp) + "velkor-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override { ::DeleteFileA(path_.c_str()); }

  HANDLE create(DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return win_.CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            flags, nullptr);
  }
  void writeFile(const std::string& text) {
    os::UniqueHandle file(create());
    ASSERT_TRUE(file.valid());
    DWORD written = 0;
    ASSERT_TRUE(win_.WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr));
    ASSERT_EQ(written, text.size());
  }

  os::win32::Win32Platform win_;
  os::ScopedPlatform installed_{win_};
  std::string path_;
};

TEST_F(Win32PlatformTest, FileRoundTripThroughWriteReadAndSize) {
  writeFile("plotter");
  os::UniqueHandle file(win_.CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  DWORD high = 99;
  EXPECT_EQ(win_.GetFileSize(file.get(), &high), 7u);
  EXPECT_EQ(high, 0u);
  char buffer[16] = {};
  DWORD read = 0;
  ASSERT_TRUE(win_.ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "plotter");
  ASSERT_TRUE(win_.ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u) << "a read at the end returns no bytes";
}

TEST_F(Win32PlatformTest, MissingFileFailsWithItsLastError) {
  HANDLE file = win_.CreateFileA("C:\\velkor-no-such-dir\\none.cas", GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(win_.GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(win_.DeleteFileA("C:\\velkor-none.tmp"));
  EXPECT_EQ(win_.GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Win32PlatformTest, OverlappedReadCompletesThroughItsEvent) {
  writeFile("0123456789");
  os::UniqueHandle file(win_.CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
  os::UniqueHandle event(win_.CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(file.valid() && event.valid());
  OVERLAPPED overlapped{};
  overlapped.Offset = 4;
  overlapped.hEvent = event.get();
  char buffer[8] = {};
  DWORD read = 0;
  if (!win_.ReadFile(file.get(), buffer, sizeof buffer, &read, &overlapped)) {
    ASSERT_EQ(win_.GetLastError(), DWORD(ERROR_IO_PENDING));
  }
  ASSERT_TRUE(win_.GetOverlappedResult(file.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(std::string(buffer, read), "456789");
  EXPECT_EQ(overlapped.InternalHigh, 6u);
  EXPECT_EQ(win_.WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(win_.CancelIo(file.get())) << "nothing pending is not an error";
}

TEST_F(Win32PlatformTest, MappingShowsTheFileAndRefusesAnEmptyOne) {
  writeFile("");
  {
    os::UniqueHandle empty(win_.CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(win_.CreateFileMappingA(empty.get(), nullptr, PAGE_READONLY, 0, 0, nullptr),
              nullptr);
  }
  writeFile("firmware image");
  os::UniqueHandle file(win_.CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  os::UniqueHandle mapping(win_.CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0,
                                                   nullptr));
  ASSERT_NE(mapping.get(), nullptr);
  os::UniqueMappedView view(win_.MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  ASSERT_TRUE(view.valid());
  EXPECT_EQ(std::memcmp(view.get(), "firmware image", 14), 0);
}

TEST_F(Win32PlatformTest, AutoResetEventIsResetByTheWaitThatSeesIt) {
  os::UniqueHandle event(win_.CreateEventA(nullptr, FALSE, TRUE, nullptr));
  ASSERT_TRUE(event.valid());
  EXPECT_EQ(win_.WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  DWORD before = win_.GetTickCount();
  EXPECT_EQ(win_.WaitForSingleObject(event.get(), 50), WAIT_TIMEOUT);
  EXPECT_GE(win_.GetTickCount() - before, 40u);
  EXPECT_TRUE(win_.SetEvent(event.get()));
  EXPECT_TRUE(win_.ResetEvent(event.get()));
  EXPECT_EQ(win_.WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(Win32PlatformTest, LastErrorIsTheThreadsOwn) {
  win_.SetLastError(ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(os::GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
  SYSTEMTIME now{};
  win_.GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2020);
}

TEST_F(Win32PlatformTest, UnknownPrinterAndEmptyDeviceClass) {
  HANDLE printer = nullptr;
  char name[] = "Velkor No Such Queue";
  EXPECT_FALSE(win_.OpenPrinterA(name, &printer, nullptr));
  EXPECT_EQ(win_.GetLastError(), DWORD(ERROR_INVALID_PRINTER_NAME));

  const GUID unused = {0x5e1c0a11, 0x2b3d, 0x4e5f, {0x90, 0x81, 0x72, 0x63, 0x54, 0x45, 0x36, 0x27}};
  os::UniqueDevInfo list(
      win_.SetupDiGetClassDevsA(&unused, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  ASSERT_TRUE(list.valid());
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  EXPECT_FALSE(win_.SetupDiEnumDeviceInterfaces(list.get(), nullptr, &unused, 0, &data));
  EXPECT_EQ(win_.GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
}

TEST_F(Win32PlatformTest, TextsAndLocalMemory) {
  char buffer[64] = "unchanged";
  EXPECT_EQ(win_.LoadStringA(nullptr, 0xBEEF, buffer, sizeof buffer), 0)
      << "the test program carries no string table";
  EXPECT_GT(win_.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, ERROR_FILE_NOT_FOUND, 0, buffer, sizeof buffer, nullptr),
            0u);
  auto* memory = static_cast<unsigned char*>(win_.LocalAlloc(LPTR, 32));
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory[31], 0);
  EXPECT_EQ(win_.LocalFree(memory), nullptr);
}

}  // namespace

#endif  // _WIN32
