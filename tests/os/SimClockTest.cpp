// The simulated machine's virtual clock: waits cost exact virtual time and no real time, and a
// wait nothing can end fails loudly.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "os/Handles.h"
#include "support/SimMachineTest.h"

namespace velkor::test {
namespace {

using Clock = std::chrono::steady_clock;

class SimClockTest : public SimMachineTest {};

TEST_F(SimClockTest, ATimeOutCostsExactlyItsVirtualTimeAndNoRealTime) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  auto realStart = Clock::now();
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 1000), WAIT_TIMEOUT);
  os::Sleep(4000);
  EXPECT_EQ(machine.now(), 5000u);
  EXPECT_EQ(os::GetTickCount(), 5000u);
  EXPECT_LT(Clock::now() - realStart, std::chrono::milliseconds(500));
}

TEST_F(SimClockTest, AWaitThatIsSatisfiedCostsNothing) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, TRUE, nullptr));
  EXPECT_EQ(os::WaitForSingleObject(event.get(), INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(machine.now(), 0u);
}

TEST_F(SimClockTest, LocalTimeStartsAtTheMachinesFixedInstant) {
  SYSTEMTIME time{};
  os::GetLocalTime(&time);
  EXPECT_EQ(time.wYear, 2026);
  EXPECT_EQ(time.wMonth, 12);
  EXPECT_EQ(time.wDay, 7);
  EXPECT_EQ(time.wDayOfWeek, 1);  // Monday
  EXPECT_EQ(time.wHour, 13);
  EXPECT_EQ(time.wMinute, 21);
  EXPECT_EQ(time.wSecond, 0);

  os::Sleep(((10 * 60 + 38) * 60 + 59) * 1000 + 1234);  // past midnight
  os::GetLocalTime(&time);
  EXPECT_EQ(time.wDay, 8);
  EXPECT_EQ(time.wDayOfWeek, 2);
  EXPECT_EQ(time.wHour, 0);
  EXPECT_EQ(time.wMinute, 0);
  EXPECT_EQ(time.wSecond, 0);
  EXPECT_EQ(time.wMilliseconds, 234);
}

TEST_F(SimClockTest, AScheduledActionEndsAWaitAtItsInstant) {
  os::UniqueHandle event(os::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  machine.schedule(300, [&] { os::SetEvent(event.get()); });
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 1000), WAIT_OBJECT_0);
  EXPECT_EQ(machine.now(), 300u);
  // The auto-reset event was taken by that wait.
  EXPECT_EQ(os::WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST_F(SimClockTest, ScheduledActionsRunInTimeOrderThenInTheOrderScheduled) {
  std::vector<std::string> ran;
  machine.schedule(200, [&] { ran.push_back("b"); });
  machine.schedule(100, [&] { ran.push_back("a"); });
  machine.schedule(200, [&] { ran.push_back("c"); });
  machine.schedule(500, [&] { ran.push_back("late"); });
  os::Sleep(200);
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(machine.now(), 200u);
}

TEST_F(SimClockTest, AnInfiniteWaitNothingCanEndThrowsInsteadOfHanging) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  machine.schedule(700, [] {});  // runs, but signals nothing
  try {
    os::WaitForSingleObject(event.get(), INFINITE);
    FAIL() << "no Deadlock";
  } catch (const os::sim::Deadlock& deadlock) {
    EXPECT_NE(std::string(deadlock.what()).find("WaitForSingleObject(INFINITE)"), std::string::npos);
    EXPECT_NE(std::string(deadlock.what()).find("700 ms"), std::string::npos) << deadlock.what();
  }
  EXPECT_THROW(os::Sleep(INFINITE), os::sim::Deadlock);
}

TEST_F(SimClockTest, RealTimePacingAlsoWaitsForReal) {
  machine.setRealTimePacing(true);
  auto realStart = Clock::now();
  os::Sleep(30);
  EXPECT_GE(Clock::now() - realStart, std::chrono::milliseconds(30));
  EXPECT_EQ(machine.now(), 30u);
}

TEST_F(SimClockTest, APacedMachineLeftAloneCatchesUpWithRealTime) {
  bool due = false;
  machine.schedule(40, [&] { due = true; });
  machine.catchUpWithRealTime();
  EXPECT_FALSE(due) << "without pacing the clock moves only in waits";
  machine.setRealTimePacing(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(due);
  machine.catchUpWithRealTime();
  EXPECT_TRUE(due);
  EXPECT_GE(machine.now(), 50u);
  // A wait after the catch-up lasts its own length, not the time already passed.
  const auto realStart = Clock::now();
  const os::sim::Tick start = machine.now();
  os::Sleep(20);
  EXPECT_EQ(machine.now(), start + 20);
  EXPECT_GE(Clock::now() - realStart, std::chrono::milliseconds(15));
}

}  // namespace
}  // namespace velkor::test
