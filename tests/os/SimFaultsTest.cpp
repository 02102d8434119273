// Fault injection: rules pick calls by kind, path, control code and occurrence, and make them
// fail, hang, come late, come short or lose their device.
#include <string>

#include "ScriptedDevice.h"
#include "os/Handles.h"

namespace velkor::test {
namespace {

using os::sim::Call;

class SimFaultsTest : public ScriptedDeviceTest {
 protected:
  // A blocking read of the pipe: the error (0 on success) and the count.
  std::pair<DWORD, DWORD> read(HANDLE pipe) {
    DWORD count = 0;
    BOOL ok = os::ReadFile(pipe, buffer, sizeof buffer, &count, nullptr);
    return {ok ? 0 : os::GetLastError(), count};
  }

};

TEST_F(SimFaultsTest, TheNthMatchingCallFailsAndOnlyThatOne) {
  auto& rule = machine.faults().on(Call::ReadFile).path("pipe02").nth(2).fail(ERROR_CRC);
  for (int i = 0; i < 3; ++i) device->script.push_back(replyNow("ok"));
  os::UniqueHandle other(open("\\PIPE01", 0));
  os::UniqueHandle pipe(open("\\PIPE02", 0));
  EXPECT_EQ(read(other.get()).first, 0u);  // another path does not count
  EXPECT_EQ(read(pipe.get()).first, 0u);
  EXPECT_EQ(read(pipe.get()).first, static_cast<DWORD>(ERROR_CRC));
  EXPECT_EQ(read(pipe.get()).first, 0u);
  EXPECT_EQ(rule.hits(), 1u);
  EXPECT_EQ(device->requests.size(), 3u);  // the failed call never reached the device
}

TEST_F(SimFaultsTest, EveryCallFromTheNthOnFails) {
  machine.faults().on(Call::DeviceIoControl).code(0x22).fromNth(2).fail(ERROR_GEN_FAILURE);
  for (int i = 0; i < 4; ++i) device->script.push_back(replyNow(""));
  os::UniqueHandle handle(open("", 0));
  DWORD returned = 0;
  auto control = [&](DWORD code) {
    return os::DeviceIoControl(handle.get(), code, nullptr, 0, nullptr, 0, &returned, nullptr);
  };
  EXPECT_TRUE(control(0x22));
  EXPECT_TRUE(control(0x33));  // another code does not count
  EXPECT_FALSE(control(0x22));
  EXPECT_FALSE(control(0x22));
}

TEST_F(SimFaultsTest, AHangingRequestTimesOutItsWait) {
  machine.faults().on(Call::ReadFile).neverComplete();
  os::UniqueHandle pipe(open("\\PIPE00", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  EXPECT_FALSE(os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 1000), WAIT_TIMEOUT);
  EXPECT_EQ(machine.now(), 1000u);
  os::CancelIo(pipe.get());
}

TEST_F(SimFaultsTest, ADelayedRequestEndsLater) {
  machine.faults().on(Call::ReadFile).delay(400);
  device->script.push_back(replyAfter(100, "late"));
  os::UniqueHandle pipe(open("", 0));
  EXPECT_EQ(read(pipe.get()), std::make_pair(DWORD{0}, DWORD{4}));
  EXPECT_EQ(machine.now(), 500u);
}

TEST_F(SimFaultsTest, TruncatedReadsAndWritesMoveFewerBytes) {
  machine.faults().on(Call::ReadFile).truncate(2);
  machine.faults().on(Call::WriteFile).truncate(1);
  device->script.push_back(replyNow("abcdef"));
  device->script.push_back(endAfter(0, {ERROR_SUCCESS, 1}));
  os::UniqueHandle pipe(open("", 0));
  EXPECT_EQ(read(pipe.get()), std::make_pair(DWORD{0}, DWORD{2}));
  EXPECT_EQ(std::string(buffer, 2), "ab");
  DWORD written = 0;
  EXPECT_TRUE(os::WriteFile(pipe.get(), "xyz", 3, &written, nullptr));
  EXPECT_EQ(device->requests.back().inputLength, 1u);
}

TEST_F(SimFaultsTest, AVanishingDeviceIsUnpluggedAtThatCall) {
  machine.faults().on(Call::WriteFile).vanish();
  os::UniqueHandle pipe(open("\\PIPE01", 0));
  DWORD written = 0;
  EXPECT_FALSE(os::WriteFile(pipe.get(), "x", 1, &written, nullptr));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(open("", 0), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(device->requests.empty());
}

TEST_F(SimFaultsTest, OpensAndOtherCallsCanFailToo) {
  machine.faults().on(Call::CreateFile).path("PIPE03").fail(ERROR_ACCESS_DENIED);
  machine.faults().on(Call::RegOpenKey).path("\\Printers").fail(ERROR_ACCESS_DENIED);
  EXPECT_EQ(open("\\PIPE03", 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(machine.loadRegistry("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Printers]\n"));
  HKEY key = nullptr;
  EXPECT_EQ(os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Printers", 0, KEY_READ, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
}

}  // namespace
}  // namespace velkor::test
