// Requests that a device outside the machine ends on a thread of its own (a real USB device):
// the outcome reaches the program inside its wait, on its thread, with real time passing; a
// request the program gives up is cancelled at the device and its late outcome dropped.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "ScriptedDevice.h"
#include "os/Handles.h"
#include "os/sim/OutsideRequest.h"

namespace velkor::test {
namespace {

using os::sim::OutsideRequest;

class SimOutsideRequestTest : public ScriptedDeviceTest {
 protected:
  void SetUp() override {
    ScriptedDeviceTest::SetUp();
    machine.setRealTimePacing(true);
  }
  void TearDown() override {
    if (ender.joinable()) ender.join();
  }

  // The next request pends until another thread ends it after delay with data.
  void endFromOutsideAfter(std::chrono::milliseconds delay, std::string data) {
    device->script.push_back([this, delay, data](const IoRequest& request) {
      auto outside = std::make_shared<OutsideRequest>([this] { ++cancelled; });
      ender = std::thread([outside, request, delay, data] {
        std::this_thread::sleep_for(delay);
        outside->end([request, data] { return deliver(request, data); });
      });
      return IoCompletion::outsideBy(outside);
    });
  }

  std::thread ender;
  std::atomic<int> cancelled{0};
};

TEST_F(SimOutsideRequestTest, AnOutcomeFromAnotherThreadEndsTheWaitWhenItComes) {
  endFromOutsideAfter(std::chrono::milliseconds(60), "reply");
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  ASSERT_FALSE(os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 5), WAIT_TIMEOUT);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 10000), WAIT_OBJECT_0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  DWORD read = 0;
  EXPECT_TRUE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, FALSE));
  EXPECT_EQ(std::string(buffer, read), "reply");

  // A blocking request waits for its outcome rather than calling the wait a deadlock.
  ender.join();
  os::UniqueHandle blocking(open("", 0));
  endFromOutsideAfter(std::chrono::milliseconds(20), "blocking");
  EXPECT_TRUE(os::ReadFile(blocking.get(), buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "blocking");
}

TEST_F(SimOutsideRequestTest, AGivenUpRequestIsCancelledAtTheDeviceAndItsLateOutcomeDropped) {
  endFromOutsideAfter(std::chrono::milliseconds(50), "late");
  os::UniqueHandle pipe(open("", FILE_FLAG_OVERLAPPED));
  OVERLAPPED overlapped{};
  std::fill(std::begin(buffer), std::end(buffer), '-');
  os::ReadFile(pipe.get(), buffer, sizeof buffer, nullptr, &overlapped);
  EXPECT_TRUE(os::CancelIo(pipe.get()));
  EXPECT_EQ(cancelled, 1);
  DWORD read = 0;
  EXPECT_FALSE(os::GetOverlappedResult(pipe.get(), &overlapped, &read, TRUE));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  ender.join();
  os::Sleep(20);  // a wait in which the late outcome would have landed
  EXPECT_EQ(buffer[0], '-') << "a late outcome wrote into a buffer the program took back";
}

}  // namespace
}  // namespace velkor::test
