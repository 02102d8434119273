// velkorctl's plotter commands on simulated machines: the built-in world and worlds of the
// test's own, written to files as a technician would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "tests/cli/RunVelkorctl.h"
#include "tests/support/ScopedVariable.h"

namespace velkor::test {
namespace {

class PlotterCommandsTest : public ::testing::Test {
 protected:
  std::string world(const std::string& text) {
    const std::string path = dir_ / "lab.world";
    std::ofstream(path) << text;
    return path;
  }

  TempDirectory dir_;
};

// A printer plotter whose model row asks nothing but its serial, behind one queue.
constexpr const char kPrinterWorld[] =
    "[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\nserial = 40123456\n"
    "firmware = 1.14 A4\n[queue Bench]\nplotter = P1\nport = USB001\n"
    "[plotter D1]\nconnection = driver\n";

TEST_F(PlotterCommandsTest, ListShowsTheDefaultWorldInListOrder) {
  const Outcome text = velkorctl({"list", "--world", "default"});
  EXPECT_EQ(text.exit, 0) << text.err;
  EXPECT_NE(text.out.find("0   ZK200 A4"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("2   ZK2BS update mode        driver    size 99"), std::string::npos);
  EXPECT_NE(text.out.find("port USB001      serial 41207735"), std::string::npos);
  EXPECT_NE(text.out.find("5   Velkor P-Series LPT      parallel"), std::string::npos);
  const Outcome json = velkorctl({"list", "--world", "default", "--json"});
  EXPECT_NE(json.out.find("{\"plotters\":[{\"index\":0,\"name\":\"ZK200 A4\",\"port\":\"\","
                          "\"parentPrefix\":\"\",\"serial\":\"\",\"instance\":\"\","
                          "\"sizeClass\":4,\"kind\":1,\"brand\":1,\"connection\":2,"
                          "\"modelRow\":0,\"linkPlace\":0}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"discovery\":{\"driverDevices\":3,\"queues\":4,"), std::string::npos);
}

// Without --world the world VELKOR_WORLD names is the machine, before the real plotters; --world
// still wins over it.
TEST_F(PlotterCommandsTest, WithoutWorldOptionTheWorldOfTheEnvironmentIsUsed) {
  const std::string printers = world(kPrinterWorld);
  std::optional<ScopedVariable> variable(std::in_place, "VELKOR_WORLD", "default");
  const Outcome fromVariable = velkorctl({"list"});
  const Outcome overridden = velkorctl({"list", "--world", printers});
  variable.reset();
  EXPECT_EQ(fromVariable.exit, 0) << fromVariable.err;
  EXPECT_EQ(fromVariable.out, velkorctl({"list", "--world", "default"}).out);
  EXPECT_NE(overridden.out.find("Bench"), std::string::npos) << overridden.out;
  EXPECT_EQ(overridden.out.find("P-Series LPT"), std::string::npos) << overridden.out;
}

TEST_F(PlotterCommandsTest, AnEmptyListSaysWhatDiscoverySaw) {
  // A world that is wrong says where, and lists nothing.
  const Outcome r =
      velkorctl({"list", "--world", world(std::string(kPrinterWorld) + "online = no\n")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("lab.world:11: online applies to printer plotters only"), std::string::npos)
      << r.err;
  // Switched off, or taking no data: its "Query Online" fails, or ends with its wait.
  for (const char* silence : {"online = no", "refuses-data = yes"}) {
    const Outcome off = velkorctl(
        {"list", "--world",
         world("[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\n" +
               std::string(silence) +
               "\n[queue Bench]\nplotter = P1\nport = USB001\n[queue Other]\nport = USB009\n"
               "hardware-id = NoSuchModel0000\n")});
    EXPECT_EQ(off.exit, 0) << silence;
    EXPECT_EQ(off.out,
              "No plotters detected: no device of the vendor driver; 1 queue(s) of a known model, "
              "1 whose plotter did not answer (switched off?).\n")
        << silence;
  }
}

TEST_F(PlotterCommandsTest, ListNamesTheQueuesWhosePlotterDidNotAnswerBesideTheListed) {
  const Outcome r = velkorctl(
      {"list", "--world",
       world("[plotter First]\nfirmware = 1.14aKR A4\n"
             "[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\nonline = no\n"
             "[queue Bench]\nplotter = P1\nport = USB001\n")});
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(r.out,
            "0   ZK200 A4                 driver    size 4   engraver  brand 1    link place 0\n"
            "queue Bench: its plotter did not answer (switched off, or held by another program or "
            "driver?)\n");
}

// Three driver plotters, the middle one's device listed but not opening for the reason given.
std::string middleNotOpening(const std::string& openError) {
  return "[plotter First]\nfirmware = 1.14aKR A4\n[plotter Middle]\nfirmware = 2.01 A3\n"
         "open-error = " +
         openError + "\n[plotter Last]\nfirmware = 1.20 A4\n";
}

TEST_F(PlotterCommandsTest, ListSaysWhichDevicesCouldNotBeOpened) {
  const Outcome held = velkorctl({"list", "--world", world(middleNotOpening("in-use"))});
  EXPECT_EQ(held.exit, 0) << held.err;
  EXPECT_EQ(held.out,
            "0   ZK200 A4                 driver    size 4   engraver  brand 1    link place 0\n"
            "1   ZK400 A4                 driver    size 2   engraver  brand 1    link place 1\n"
            "device 1 could not be opened: in use by another program\n");
  const Outcome json =
      velkorctl({"list", "--world", world(middleNotOpening("access-denied")), "--json"});
  EXPECT_NE(json.out.find("\"linkPlace\":1}],\"discovery\":{\"driverDevices\":2,\"queues\":0,"
                          "\"queuesOfKnownModel\":0,\"queuesNotAnswering\":0,"
                          "\"devicesNotOpened\":[{\"index\":1,\"reason\":\"access denied\","
                          "\"error\":5}]}}"),
            std::string::npos)
      << json.out;
  // With no plotter found the notes say why, and the device's line says what to do.
  const Outcome none =
      velkorctl({"list", "--world", world("[plotter Only]\nopen-error = access-denied\n")});
  EXPECT_EQ(none.out,
            "No plotters detected: 1 vendor-driver device(s) that could not be opened; no print "
            "queue.\n"
            "device 0 could not be opened: access denied: run as administrator or give this user "
            "access to the device\n");
  const Outcome all = velkorctl({"list", "--world", "default", "--json"});
  EXPECT_NE(all.out.find("\"devicesNotOpened\":[]"), std::string::npos) << all.out;
}

TEST_F(PlotterCommandsTest, InfoShowsTheFieldsOfEachEdition) {
  const Outcome full = velkorctl({"info", "--plotter", "3", "--world", "default", "--json"});
  EXPECT_EQ(full.out,
            "{\"index\":3,\"name\":\"Velkor Classic\",\"serialNumber\":\"41207735\","
            "\"plotterType\":\"ZK400\",\"firmware\":\"1.08 A4\",\"bootProgram\":\"3.01\","
            "\"hardware\":\"CL-2 rev D\",\"fixtures\":\"Vise 80\",\"toolType\":\"P 0.3 mm\","
            "\"status\":\"Ready\"}\n");
  const Outcome update = velkorctl(
      {"info", "--plotter", "2", "--world", "default", "--edition", "update-only", "--json"});
  EXPECT_EQ(update.out,
            "{\"index\":2,\"name\":\"ZK2BS update mode\",\"plotterType\":\"ZK2BS\","
            "\"firmware\":\"info not avail. in update mode\",\"bootProgram\":\"2.11\","
            "\"hardware\":\"MB-5 rev B\"}\n");
  const Outcome silent =
      velkorctl({"info", "--world",
                 world(std::string(kPrinterWorld) + "[plotter P2]\nconnection = printer\n"
                                                    "model = LindqvarLinnea_30e85f\nsilent = yes\n"
                                                    "[queue Quiet]\nplotter = P2\nport = USB002\n"),
                 "--plotter", "2"});
  EXPECT_NE(silent.out.find("plotter type        ???"), std::string::npos) << silent.out;
}

TEST_F(PlotterCommandsTest, InfoRefusesAPlotterThatIsNotListed) {
  const Outcome r = velkorctl({"info", "--plotter", "6", "--world", "default"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.err, "velkorctl info: no plotter 6: 6 listed (velkorctl list shows them)\n");
  EXPECT_EQ(velkorctl({"info", "--plotter", "x", "--world", "default"}).exit, 2);
  EXPECT_EQ(velkorctl({"info", "--edition", "lite", "--world", "default"}).exit, 2);
  EXPECT_EQ(velkorctl({"info", "--world", dir_ / "none.world"}).exit, 3);
}

TEST_F(PlotterCommandsTest, SerialIsWrittenOverThePrinterPortOnly) {
  const std::string path = world(kPrinterWorld);
  const Outcome r =
      velkorctl({"serial", "VK20261209", "--world", path, "--plotter", "1", "--json"});
  EXPECT_EQ(r.exit, 0) << r.out;
  EXPECT_EQ(r.out, "{\"index\":1,\"name\":\"Bench\",\"written\":true,\"serial\":\"VK20261209\"}\n");
  const Outcome driver = velkorctl({"serial", "VK20261209", "--world", path});
  EXPECT_EQ(driver.exit, 1);
  EXPECT_NE(driver.err.find("is not behind a print queue"), std::string::npos);
  const Outcome shortText = velkorctl({"serial", "12345678", "--world", path});
  EXPECT_EQ(shortText.exit, 2);
  EXPECT_NE(shortText.err.find("9 to 12 characters"), std::string::npos);
  EXPECT_EQ(velkorctl({"serial"}).err,
            "velkorctl serial: missing TEXT\nTry 'velkorctl serial --help'.\n");
}

TEST_F(PlotterCommandsTest, WorldChecksFilesAndShowsTheDefault) {
  const Outcome good = velkorctl({"world", "--check", world(kPrinterWorld), "--json"});
  EXPECT_EQ(good.out.substr(good.out.find("\"plotters\"")),
            "\"plotters\":2,\"queues\":1,\"valid\":true}\n");
  const Outcome bad = velkorctl({"world", "--check", world("[plotter X]\nconnection = usb\n")});
  EXPECT_EQ(bad.exit, 1);
  EXPECT_NE(bad.err.find("lab.world:2: "), std::string::npos) << bad.err;
  const Outcome refusing =
      velkorctl({"world", "--check", world(std::string(kPrinterWorld) + "refuses-data = yes\n")});
  EXPECT_EQ(refusing.exit, 1);
  EXPECT_NE(refusing.err.find("lab.world:11: refuses-data applies to printer plotters only\n"),
            std::string::npos)
      << refusing.err;
  const Outcome printer =
      velkorctl({"world", "--check",
                 world("[plotter P1]\nconnection = printer\nmodel = LindqvarLinnea_30e85f\n"
                       "refuses-data = yes\n")});
  EXPECT_EQ(printer.exit, 0) << printer.err;
  EXPECT_EQ(velkorctl({"world", "--check", dir_ / "none.world"}).exit, 3);
  EXPECT_EQ(velkorctl({"world"}).exit, 2);
  const Outcome shown = velkorctl({"world", "--default"});
  const Outcome checked = velkorctl({"world", "--check", world(shown.out)});
  EXPECT_EQ(checked.exit, 0) << checked.err;
}

}  // namespace
}  // namespace velkor::test
