// Events and waits, as the system's overlapped I/O and pauses rely on them.
#include "ConformanceTest.h"
#include "os/Handles.h"

namespace conformance {
namespace {

CONFORMANCE_SUITE(EventConformance);

TEST_P(EventConformance, ManualResetEventStaysSignalledUntilReset) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
  EXPECT_TRUE(os::SetEvent(event.get()));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(os::ResetEvent(event.get()));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_P(EventConformance, AutoResetEventReleasesOneWaitOnly) {
  os::UniqueHandle event(os::CreateEventA(nullptr, FALSE, TRUE, nullptr));
  ASSERT_TRUE(event);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_P(EventConformance, TimedWaitOnAnUnsignalledEventTimesOutAfterItsTime) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  DWORD before = os::GetTickCount();
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 100), WAIT_TIMEOUT);
  // Windows' tick count moves in steps of up to 16 ms.
  EXPECT_GE(os::GetTickCount() - before, 80u);
}

TEST_P(EventConformance, SleepMovesTheTickCount) {
  DWORD before = os::GetTickCount();
  os::Sleep(60);
  EXPECT_GE(os::GetTickCount() - before, 40u);
}

TEST_P(EventConformance, ClosedHandlesAreRefused) {
  HANDLE event = os::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  ASSERT_NE(event, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(os::CloseHandle(event));
  EXPECT_FALSE(os::CloseHandle(event));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(os::SetEvent(event));
  EXPECT_EQ(os::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_P(EventConformance, LocalTimeIsACalendarTime) {
  SYSTEMTIME time{};
  os::GetLocalTime(&time);
  EXPECT_GE(time.wYear, 2000);
  EXPECT_TRUE(time.wMonth >= 1 && time.wMonth <= 12);
  EXPECT_TRUE(time.wDay >= 1 && time.wDay <= 31);
  EXPECT_LE(time.wDayOfWeek, 6);
  EXPECT_LE(time.wHour, 23);
  EXPECT_LE(time.wMinute, 59);
}

}  // namespace
}  // namespace conformance
