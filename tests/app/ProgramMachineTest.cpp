// The machine a dialog program runs on: the world VELKOR_WORLD names, paced to the time the
// user sees, or a clear error.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <thread>

#include "app/SendUpdate.h"
#include "app/machine/ProgramMachine.h"
#include "os/Calls.h"
#include "os/sim/SimMachine.h"
#include "tests/support/SampleFirmware.h"

namespace velkor::test {
namespace {

TEST(ProgramMachine, AWorldThatCannotBeHadIsAnErrorAndDefaultIsTheBuiltInWorld) {
  std::string error;
  EXPECT_EQ(app::ProgramMachine::open("/no/such/lab.world", &error), nullptr);
  EXPECT_NE(error.find("/no/such/lab.world: cannot open"), std::string::npos) << error;
  std::unique_ptr<app::ProgramMachine> machine = app::ProgramMachine::open("default", &error);
  ASSERT_NE(machine, nullptr) << error;
  ASSERT_NE(machine->world(), nullptr);
  EXPECT_EQ(machine->world()->plotters().size(), 5u);
}

TEST(ProgramMachine, APlotterThatShutItselfOffComesBackInTheTimeTheUserSees) {
  TempFile file(".world");
  std::ofstream(file.path()) << "[plotter P]\nconnection = driver\npower-on-after = 60\n";
  std::string error;
  std::unique_ptr<app::ProgramMachine> machine =
      app::ProgramMachine::open(file.string().c_str(), &error);
  ASSERT_NE(machine, nullptr) << error;
  sim::VirtualPlotter& plotter = *machine->world()->plotter("P");
  plotter.unplug();
  plotter.whenShutOff();
  machine->followUserTime();
  EXPECT_FALSE(plotter.present());
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  EXPECT_FALSE(plotter.present()) << "nothing happens while nobody looks";
  machine->followUserTime();
  EXPECT_TRUE(plotter.present());
}

// The machine's local time as the host's calendar takes it: seconds since the epoch.
std::time_t machineLocalTime() {
  SYSTEMTIME now{};
  os::GetLocalTime(&now);
  std::tm local{};
  local.tm_year = now.wYear - 1900;
  local.tm_mon = now.wMonth - 1;
  local.tm_mday = now.wDay;
  local.tm_hour = now.wHour;
  local.tm_min = now.wMinute;
  local.tm_sec = now.wSecond;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

TEST(ProgramMachine, TheProgramsShowTheHostsLocalTimeAndAPlainWorldItsFixedStart) {
  std::string error;
  {
    std::unique_ptr<app::ProgramMachine> machine = app::ProgramMachine::open("default", &error);
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_LE(std::abs(std::difftime(machineLocalTime(), std::time(nullptr))), 5.0);
  }
  std::unique_ptr<sim::World> world = sim::World::named("default", &error);
  ASSERT_NE(world, nullptr) << error;
  os::ScopedPlatform platform(world->machine());
  SYSTEMTIME start{};
  os::GetLocalTime(&start);
  EXPECT_EQ(app::updateSentStatus(start), "Plotter update sent on  07 Dec 26 13:21:00");
}

// Without a world, a build that reaches real plotters runs on them: on Linux the real Linux
// machine (on the host's time), installed as the platform while the program runs.
TEST(ProgramMachine, WithoutAWorldTheRealPlottersAreTheMachine) {
  if (!os::kHasRealPlatform) GTEST_SKIP() << "skipped: this build reaches no real plotters";
  std::string error;
  os::Platform* before = &os::platform();
  {
    std::unique_ptr<app::ProgramMachine> machine = app::ProgramMachine::open(nullptr, &error);
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_EQ(machine->world(), nullptr);
    EXPECT_NE(&os::platform(), &os::sim::emptyMachine());
    EXPECT_LE(std::abs(std::difftime(machineLocalTime(), std::time(nullptr))), 5.0);
    machine->followUserTime();
  }
  EXPECT_EQ(&os::platform(), before);
}

}  // namespace
}  // namespace velkor::test
