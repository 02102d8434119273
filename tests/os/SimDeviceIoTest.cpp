// Requests to virtual devices on the simulated machine: completions now, later or never,
// blocking and overlapped calls, cancellation, device paths and unplugging.
#include <string>

#include "ScriptedDevice.h"
#include "os/Handles.h"

namespace velkor::test {
namespace {

class SimDeviceIoTest : public ScriptedDeviceTest {};

DWORD lastError() { return os::GetLastError(); }

TEST_F(SimDeviceIoTest, ARequestEndingLaterIsPendingUntilItsInstant) {
  device->script.push_back(replyAfter(250, "reply"));
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, TRUE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  ASSERT_FALSE(os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(overlapped.Internal, STATUS_PENDING);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);  // reset by the start
  DWORD read = 0;
  EXPECT_FALSE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, FALSE));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

  EXPECT_EQ(os::WaitForSingleObject(event.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(machine.now(), 250u);
  EXPECT_TRUE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, FALSE));
  EXPECT_EQ(read, 5u);
  EXPECT_EQ(std::string(buffer, read), "reply");
}

// As a real driver may: a request the device could end at once pends all the same, on an
// overlapped handle as on a blocking one.
TEST_F(SimDeviceIoTest, WhenDevicesAlwaysPendARequestEndingAtOnceEndsAMomentLater) {
  machine.setDevicesAlwaysPend(true);
  device->script.push_back(replyNow("now"));
  device->script.push_back(replyNow("blocking"));
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  ASSERT_FALSE(os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  DWORD read = 0;
  EXPECT_TRUE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(std::string(buffer, read), "now");
  EXPECT_EQ(machine.now(), 1u);
  os::UniqueHandle blocking(open("", 0));
  EXPECT_TRUE(os::ReadFile(blocking.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "blocking");
  EXPECT_EQ(machine.now(), 2u);
}

TEST_F(SimDeviceIoTest, ATimedWaitShorterThanTheRequestTimesOutAtItsDeadline) {
  device->script.push_back(replyAfter(800, "late"));
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 300), WAIT_TIMEOUT);
  EXPECT_EQ(machine.now(), 300u);
  DWORD read = 0;
  EXPECT_TRUE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(machine.now(), 800u);
  EXPECT_EQ(read, 4u);
}

TEST_F(SimDeviceIoTest, WithoutAnEventTheFileHandleItselfIsSignalled) {
  device->script.push_back(endAfter(120, {ERROR_SUCCESS, 0}));
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  OVERLAPPED overlapped{};
  os::WriteFile(pipe.get(), "x", 1, nullptr, &overlapped);
  EXPECT_EQ(os::WaitForSingleObject(pipe.get(), 100), WAIT_TIMEOUT);
  EXPECT_EQ(os::WaitForSingleObject(pipe.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(machine.now(), 120u);
}

TEST_F(SimDeviceIoTest, RequestsCompleteInTimeOrder) {
  device->script.push_back(endAfter(300, {ERROR_SUCCESS, 3}));
  device->script.push_back(endAfter(100, {ERROR_SEM_TIMEOUT, 0}));
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  OVERLAPPED first{}, second{};
  os::ReadFile(pipe.get(), buffer, 8, nullptr, &first);
  os::ReadFile(pipe.get(), buffer + 8, 8, nullptr, &second);
  os::Sleep(150);
  EXPECT_EQ(first.Internal, STATUS_PENDING);
  EXPECT_TRUE(HasOverlappedIoCompleted(&second));
  // A failure's Win32 error shows in Internal the way Windows shows such errors.
  EXPECT_EQ(second.Internal, 0xC0070000u | ERROR_SEM_TIMEOUT);
  DWORD read = 0;
  EXPECT_FALSE(os::GetOverlappedResult(pipe.get(), &second, &read, FALSE));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
  EXPECT_TRUE(os::GetOverlappedResult(pipe.get(), &first, &read, TRUE));
  EXPECT_EQ(machine.now(), 300u);
}

TEST_F(SimDeviceIoTest, ABlockingCallWaitsForTheDevice) {
  device->script.push_back(replyAfter(500, "slow"));
  device->script.push_back(replyNow("fast"));
  os::UniqueHandle pipe(open("", 0));
  DWORD read = 0;
  ASSERT_TRUE(os::ReadFile(pipe.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(machine.now(), 500u);
  EXPECT_EQ(std::string(buffer, read), "slow");
  ASSERT_TRUE(os::ReadFile(pipe.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "fast");
}

TEST_F(SimDeviceIoTest, ABlockingCallThatNeverEndsIsADeadlock) {
  device->script.push_back(neverEnd());
  os::UniqueHandle pipe(open("", 0));
  DWORD read = 0;
  EXPECT_THROW(os::ReadFile(pipe.get(), buffer, sizeof buffer, &read, nullptr),
               os::sim::Deadlock);
}

TEST_F(SimDeviceIoTest, ADeadlockLeavesNoRequestToWriteIntoTheProgramLater) {
  device->script.push_back(neverEnd());
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  auto waitForever = [&] {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
    os::WaitForSingleObject(event.get(), INFINITE);
  };
  EXPECT_THROW(waitForever(), os::sim::Deadlock);
  pipe.reset();  // the OVERLAPPED is gone: closing must not complete its request
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(SimDeviceIoTest, CancelIoAbortsPendingRequestsAndSignalsTheirEvents) {
  device->script.push_back(neverEnd());
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 1000), WAIT_TIMEOUT);
  EXPECT_TRUE(os::CancelIo(pipe.get()));
  DWORD read = 7;
  EXPECT_FALSE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(machine.now(), 1000u);
}

TEST_F(SimDeviceIoTest, ClosingAHandleAbortsItsRequests) {
  device->script.push_back(replyAfter(100, "never seen"));
  HANDLE pipe = open("", FILE_FLAG_OVERLAPPED);
  OVERLAPPED overlapped{};
  os::ReadFile(pipe, buffer, sizeof buffer, nullptr, &overlapped);
  EXPECT_TRUE(os::CloseHandle(pipe));
  EXPECT_EQ(overlapped.Internal, 0xC0070000u | ERROR_OPERATION_ABORTED);
  os::Sleep(200);  // the device's late completion no longer touches anything
  EXPECT_EQ(buffer[0], '\0');
}

TEST_F(SimDeviceIoTest, PathsBelowAnInterfaceReachItsEndpoints) {
  os::UniqueHandle pipe(open("\\PIPE02", FILE_FLAG_OVERLAPPED));
  EXPECT_TRUE(pipe);
  os::UniqueHandle upper(
      openPath("\\\\.\\USB#VID_1234&PID_0001#7&1&0#{1A2B3C4D}\\129", FILE_FLAG_OVERLAPPED));
  EXPECT_TRUE(upper);
  os::UniqueHandle whole(open("", FILE_FLAG_OVERLAPPED));
  EXPECT_TRUE(whole);
  EXPECT_EQ(device->opened, (std::vector<std::string>{"PIPE02", "129", ""}));

  EXPECT_EQ(open("\\NOPIPE", FILE_FLAG_OVERLAPPED), INVALID_HANDLE_VALUE);
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(open("x", FILE_FLAG_OVERLAPPED), INVALID_HANDLE_VALUE);  // not below it
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SimDeviceIoTest, UnpluggingEndsRequestsAndLaterCallsAndLeavesTheLists) {
  device->script.push_back(neverEnd());
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  OVERLAPPED overlapped{};
  os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
  machine.removeDevice(*device);
  DWORD read = 0;
  EXPECT_FALSE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_FALSE(os::DeviceIoControl(pipe.get(), 0x222004, nullptr, 0, nullptr, 0, &read, nullptr));
  EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(open("", FILE_FLAG_OVERLAPPED), INVALID_HANDLE_VALUE);

  os::UniqueDevInfo list(os::SetupDiGetClassDevsA(&kClass, nullptr, nullptr,
                                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  EXPECT_FALSE(os::SetupDiEnumDeviceInterfaces(list.get(), nullptr, &kClass, 0, &data));

  machine.addDeviceInterface(kClass, kPath, device);  // plugged in again
  os::UniqueHandle again(open("", FILE_FLAG_OVERLAPPED));
  EXPECT_TRUE(again);
}

TEST_F(SimDeviceIoTest, ControlRequestsCarryTheirCodeAndBuffers) {
  device->script.push_back(replyNow("out"));
  os::UniqueHandle handle(open("", 0));
  char input[2] = {'i', 'n'};
  DWORD returned = 0;
  ASSERT_TRUE(os::DeviceIoControl(handle.get(), 0x70DD2004, input, 2, buffer, 4, &returned, nullptr));
  EXPECT_EQ(returned, 3u);
  ASSERT_EQ(device->requests.size(), 1u);
  EXPECT_EQ(device->requests[0].kind, IoRequest::Kind::Control);
  EXPECT_EQ(device->requests[0].code, 0x70DD2004u);
  EXPECT_EQ(device->requests[0].inputLength, 2u);
  EXPECT_EQ(device->requests[0].outputLength, 4u);
}

}  // namespace
}  // namespace velkor::test
