// The machine a dialog program runs on: the world VELKOR_WORLD names, paced to the time the
// user sees, or a clear error.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/machine/ProgramMachine.h"
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

}  // namespace
}  // namespace velkor::test
