// World files as text: what each key sets, how values are written, and every kind of fault
// with the line it names.
#include <gtest/gtest.h>

#include <string>

#include "discovery/ModelTable.h"
#include "sim/WorldFile.h"
#include "sim/WorldSections.h"

namespace velkor::test {
namespace {

sim::WorldPlan parsed(const std::string& text) {
  std::string error;
  std::optional<sim::WorldPlan> world = sim::parseWorldFile(text, "lab.world", &error);
  EXPECT_TRUE(world) << error;
  return world.value_or(sim::WorldPlan{});
}

std::string faultOf(const std::string& text) {
  std::string error;
  EXPECT_FALSE(sim::parseWorldFile(text, "lab.world", &error)) << text;
  return error;
}

std::string decoded(const std::string& text) {
  std::string value = "unset";
  std::string fault = sim::decodeWorldValue(text, &value);
  return fault.empty() ? value : "fault: " + fault;
}

TEST(WorldFileTest, EveryPlotterKeySetsItsSetting) {
  sim::WorldPlan world = parsed(R"(
[plotter Bench]
connection = driver
type = HQRT J5-T
boot-type = ZM6BS
update-mode = yes
firmware = 2.01 A3
boot = 4.00
hardware = MB-9
tool = G 0.5 mm
status = Busy
fixtures = Vise 60
serial = 40999999
vendor-id = 0x2E7A
product-id = 17
instance = BENCH01
silent = yes
power-on-after = 1500
status-word = 0x0012
vanish-at-chunk = 3
stale-replies = 2
reply-delay = 250
open-error = in-use
)");
  ASSERT_EQ(world.plotters.size(), 1u);
  const sim::PlotterPlan& p = world.plotters[0];
  EXPECT_EQ(p.label, "Bench");
  EXPECT_EQ(p.line, 2);
  EXPECT_EQ(p.identity.connection, sim::Connection::Driver);
  EXPECT_EQ(p.state.platformName, "HQRT J5-T");
  EXPECT_EQ(p.state.bootPlatformName, "ZM6BS");
  EXPECT_TRUE(p.state.updateMode);
  EXPECT_EQ(p.state.firmwareText, "2.01 A3");
  EXPECT_EQ(p.state.bootText, "4.00");
  EXPECT_EQ(p.state.hardwareText, "MB-9");
  EXPECT_EQ(p.state.tool, "G 0.5 mm");
  EXPECT_EQ(p.state.status, "Busy");
  EXPECT_EQ(p.state.fixtures, "Vise 60");
  EXPECT_EQ(p.state.serialNumber, "40999999");
  EXPECT_EQ(p.identity.vendorId, 0x2E7A);
  EXPECT_EQ(p.identity.productId, 17);
  EXPECT_EQ(p.identity.instanceSerial, "BENCH01");
  EXPECT_TRUE(p.misbehaviour.silent);
  EXPECT_EQ(p.powerOnAfter, os::sim::Tick{1500});
  EXPECT_EQ(p.misbehaviour.statusWord, 0x0012);
  EXPECT_EQ(p.misbehaviour.vanishAtChunk, size_t{3});
  EXPECT_EQ(p.misbehaviour.staleReplies, 2);
  EXPECT_EQ(p.misbehaviour.replyDelay, os::sim::Tick{250});
  EXPECT_EQ(p.misbehaviour.openError, DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_EQ(parsed("[plotter A]\nopen-error = access-denied\n").plotters[0].misbehaviour.openError,
            DWORD{ERROR_ACCESS_DENIED});
}

TEST(WorldFileTest, KeysNotGivenKeepThePlotterDefaults) {
  sim::WorldPlan world = parsed(
      "[plotter A]\n"
      "[plotter B]\n"
      "connection = printer\n"
      "model = velkorclassic59da\n"
      "online = no\n"
      "refuses-data = YES\n"
      "power-on-after = never\n");
  ASSERT_EQ(world.plotters.size(), 2u);
  const sim::PlotterPlan& a = world.plotters[0];
  const sim::PlotterState defaults;
  EXPECT_EQ(a.identity.connection, sim::Connection::Driver);
  EXPECT_EQ(a.identity.vendorId, usb::kLegacyVendorId);
  EXPECT_EQ(a.identity.productId, usb::kLegacyProductId);
  EXPECT_EQ(a.state.platformName, defaults.platformName);
  EXPECT_EQ(a.state.firmwareText, defaults.firmwareText);
  EXPECT_EQ(a.state.online, defaults.online);
  EXPECT_EQ(a.state.replyEnding, "") << "a world's replies end as it writes them";
  EXPECT_EQ(a.powerOnAfter, os::sim::Tick{20000});
  EXPECT_FALSE(a.misbehaviour.switchedOff);
  EXPECT_FALSE(a.misbehaviour.openError);
  EXPECT_FALSE(a.misbehaviour.refusesData);
  EXPECT_EQ(a.identity.instanceSerial, "VK0000001");

  // A printer takes its USB identifiers from the row its model names, letter case aside.
  const sim::PlotterPlan& b = world.plotters[1];
  const discovery::ModelEntry& row = discovery::modelTable()[8];
  EXPECT_EQ(b.model, "velkorclassic59da");
  EXPECT_EQ(b.identity.vendorId, row.vendorId);
  EXPECT_EQ(b.identity.productId, row.productId);
  EXPECT_EQ(b.identity.instanceSerial, "VK0000002");
  EXPECT_TRUE(b.misbehaviour.switchedOff);
  EXPECT_TRUE(b.misbehaviour.refusesData);
  EXPECT_FALSE(b.powerOnAfter);
}

TEST(WorldFileTest, PrinterModelOfNoRowTakesTheIdentifiersGiven) {
  sim::WorldPlan world = parsed(
      "[plotter X]\nconnection = printer\nmodel = Prototype_0001\n"
      "vendor-id = 0x1234\nproduct-id = 0x0042\n");
  EXPECT_EQ(world.plotters[0].identity.vendorId, 0x1234);
  EXPECT_EQ(world.plotters[0].identity.productId, 0x0042);
  // On a known row one identifier may be given and the other comes from the row.
  world = parsed(
      "[plotter X]\nconnection = printer\nmodel = VelkorClassic59da\n"
      "product-id = 0x0999\n");
  EXPECT_EQ(world.plotters[0].identity.vendorId, discovery::modelTable()[8].vendorId);
  EXPECT_EQ(world.plotters[0].identity.productId, 0x0999);
  // A world written when the rows carried checksums of their own still names its row.
  world = parsed("[plotter X]\nconnection = printer\nmodel = LindqvarLinnea_30f9f6\n");
  EXPECT_EQ(world.plotters[0].model, "LindqvarLinnea_30e85f");
  EXPECT_EQ(world.plotters[0].identity.productId, 0x4C11);
}

TEST(WorldFileTest, ValuesAreTrimmedUnquotedAndDecoded) {
  EXPECT_EQ(decoded("   Ready   "), "Ready");
  EXPECT_EQ(decoded(R"( "  two blanks  " )"), "  two blanks  ");
  EXPECT_EQ(decoded(R"( P "0.3" mm)"), "P 0.3 mm");
  EXPECT_EQ(decoded(R"( "")"), "");
  EXPECT_EQ(decoded(""), "");
  EXPECT_EQ(decoded(R"( Ready\r)"), "Ready\r");
  EXPECT_EQ(decoded(R"( a\nb\tc\\d\"e)"), "a\nb\tc\\d\"e");
  EXPECT_EQ(decoded(R"( \x41\x00\xfF)"), std::string("A\0\xff", 3));
  EXPECT_EQ(decoded(R"( trailing\t )"), "trailing\t") << "an escaped blank is kept";
  EXPECT_EQ(decoded(" Ready ; comment"), "Ready");
  EXPECT_EQ(decoded(" Ready\t; comment"), "Ready");
  EXPECT_EQ(decoded(" ; only a comment"), "");
  EXPECT_EQ(decoded(R"( "a ; b" ; c)"), "a ; b") << "no comment inside quotes";
  EXPECT_EQ(decoded(" a;b # c"), "a;b # c") << "a comment needs a blank before its ';'";
}

TEST(WorldFileTest, BadValuesAreFaults) {
  EXPECT_EQ(decoded(R"( "open)"), "fault: unterminated quote");
  EXPECT_EQ(decoded(R"( a\q)"), R"(fault: bad escape \q (\r, \n, \t, \\, \" or \xHH))");
  EXPECT_EQ(decoded(R"( \x4)"), R"(fault: bad escape \x4 (\r, \n, \t, \\, \" or \xHH))");
  EXPECT_EQ(decoded(R"( \x4g)"), R"(fault: bad escape \x4g (\r, \n, \t, \\, \" or \xHH))");
  EXPECT_EQ(decoded(R"( a\)"), "fault: bad escape: a backslash ends the line");
}

TEST(WorldFileTest, CommentsBlankLinesAndCarriageReturnsAreNoContent) {
  sim::WorldPlan world = parsed(
      "# a comment\r\n"
      "  ; another\r\n"
      "\r\n"
      "[plotter  Left bench ]   ; its comment\r\n"
      "firmware = 2.01 A3\r\n"
      "[queue Q] ; the queue\r\n"
      "port = FILE:\r\n");
  ASSERT_EQ(world.plotters.size(), 1u);
  EXPECT_EQ(world.plotters[0].label, "Left bench");
  EXPECT_EQ(world.plotters[0].line, 4);
  EXPECT_EQ(world.plotters[0].state.firmwareText, "2.01 A3");
  ASSERT_EQ(world.queues.size(), 1u);
  EXPECT_EQ(world.queues[0].port, "FILE:");
  EXPECT_TRUE(world.queues[0].plotter.empty());
  EXPECT_TRUE(world.queues[0].hardwareId.empty());
}

TEST(WorldFileTest, QueuesKeepFileOrderAndMayShareAPlotter) {
  sim::WorldPlan world = parsed(
      "[queue Second]\nplotter = P\nport = USB002\n"  // names a plotter further down
      "[queue First]\nplotter = P\nport = USB001\nstate = offline\nprint-delay = 2500\n"
      "[queue Parallel]\nhardware-id = VelkorP-Series_2f94b\nport = LPT1:\n"
      "[plotter P]\nconnection = printer\nmodel = VelkorClassic59da\n");
  ASSERT_EQ(world.queues.size(), 3u);
  EXPECT_EQ(world.queues[0].name, "Second");
  EXPECT_EQ(world.queues[0].plotter, "P");
  EXPECT_EQ(world.queues[0].settings.state, os::sim::QueueState::Ready);
  EXPECT_EQ(world.queues[0].settings.printDelay, 0u);
  EXPECT_EQ(world.queues[1].port, "USB001");
  EXPECT_EQ(world.queues[1].settings.state, os::sim::QueueState::Offline);
  EXPECT_EQ(world.queues[1].settings.printDelay, 2500u);
  EXPECT_EQ(world.queues[2].hardwareId, "VelkorP-Series_2f94b");
}

struct FaultCase {
  const char* text;
  const char* fault;
};

TEST(WorldFileTest, EveryFaultNamesItsLine) {
  const FaultCase cases[] = {
      {"[printer X]", "lab.world:1: unknown section [printer] (plotter or queue)"},
      {"\n[plotter X", "lab.world:2: section header without its closing ']'"},
      {"[plotter X] more", "lab.world:1: characters after the section header"},
      {"[plotter ]", "lab.world:1: [plotter] without its name"},
      {"type = ZK400", "lab.world:1: key type outside a section"},
      {"[plotter X]\ntype ZK400", "lab.world:2: missing '=' after the key"},
      {"[plotter X]\n = ZK400", "lab.world:2: missing key before '='"},
      {"[plotter X]\ncolour = red", "lab.world:2: unknown key colour in a plotter section"},
      {"[queue Q]\nport = USB001\ncolour = red",
       "lab.world:3: unknown key colour in a queue section"},
      {"[plotter X]\ntype = A\n\ntype = B", "lab.world:4: duplicate key type (first at line 2)"},
      {"[plotter X]\n[plotter X]", "lab.world:2: duplicate plotter X (first at line 1)"},
      {"[queue Q]\nport = A\n[queue q]\nport = B",
       "lab.world:3: duplicate queue q (first at line 1)"},
      {"[plotter X]\nvendor-id = 0xZZ", "lab.world:2: bad number for vendor-id: \"0xZZ\""},
      {"[plotter X]\nreply-delay = -5", "lab.world:2: bad number for reply-delay: \"-5\""},
      {"[plotter X]\nstale-replies =", "lab.world:2: bad number for stale-replies: \"\""},
      {"[plotter X]\nproduct-id = 0x10000",
       "lab.world:2: product-id 0x10000 is out of range (0 to 65535)"},
      {"[plotter X]\nstale-replies = 99999999999999999999999",
       "lab.world:2: stale-replies 99999999999999999999999 is out of range (0 to 1000)"},
      {"[plotter X]\nsilent = maybe", "lab.world:2: bad yes/no for silent: \"maybe\""},
      {"[plotter X]\nconnection = serial",
       "lab.world:2: unknown connection \"serial\" (driver or printer)"},
      {"[plotter X]\ntype = \"ZK400", "lab.world:2: type: unterminated quote"},
      {"[plotter X]\ntype = ZK\\400",
       "lab.world:2: type: bad escape \\4 (\\r, \\n, \\t, \\\\, \\\" or \\xHH)"},
      {"[plotter X]\nstatus-word = 0x12\nconnection = printer\nmodel = VelkorClassic59da",
       "lab.world:2: status-word applies to driver plotters only"},
      {"[plotter X]\nonline = no", "lab.world:2: online applies to printer plotters only"},
      {"[queue Q]\nport = USB001\nstate = stopped",
       "lab.world:3: unknown state \"stopped\" (ready, paused, offline or error)"},
      {"[queue Q]\nport = USB001\nprint-delay = 1s",
       "lab.world:3: bad number for print-delay: \"1s\""},
      {"[plotter X]\nrefuses-data = yes",
       "lab.world:2: refuses-data applies to printer plotters only"},
      {"[plotter X]\nconnection = printer\nmodel = VelkorClassic59da\nrefuses-data = always",
       "lab.world:4: bad yes/no for refuses-data: \"always\""},
      {"[plotter X]\nopen-error = locked",
       "lab.world:2: unknown open-error \"locked\" (access-denied or in-use)"},
      {"[plotter X]\nconnection = printer\nmodel = VelkorClassic59da\nopen-error = in-use",
       "lab.world:4: open-error applies to driver plotters only"},
      {"[plotter X]\nmodel = VelkorClassic59da",
       "lab.world:2: model applies to printer plotters only"},
      {"[plotter X]\nconnection = printer", "lab.world:1: printer plotter X needs a model"},
      {"[plotter X]\nconnection = printer\nmodel = Unknown_0001\nvendor-id = 0x2E7A",
       "lab.world:3: model Unknown_0001 names no row of the model table: give vendor-id and "
       "product-id"},
      {"[plotter X]\nconnection = printer\nmodel = USBPRINT\\\\VelkorClassic59da",
       "lab.world:3: model \"USBPRINT\\VelkorClassic59da\" holds \"\\\", which a registry key "
       "name cannot"},
      {"[plotter X]\ninstance = a#b",
       "lab.world:2: instance \"a#b\" holds \"#\", which a registry key name cannot"},
      {"[plotter X]\ninstance = \"\"", "lab.world:2: instance is empty"},
      {"[plotter A]\n[plotter B]\ninstance = vk0000001",
       "lab.world:3: instance vk0000001 is already that of plotter A of the same vendor and "
       "product ID (first at line 1)"},
      {"[plotter A]\ninstance = VK0000002\n[plotter B]",
       "lab.world:3: instance VK0000002 is already that of plotter A of the same vendor and "
       "product ID (first at line 1)"},
      {"[queue Q]\nplotter = Nobody\nport = USB001",
       "lab.world:2: no plotter Nobody in this world"},
      {"[plotter D]\n[queue Q]\nplotter = D\nport = USB001",
       "lab.world:3: plotter D is on the driver connection; a queue needs a printer plotter"},
      {"[queue Q]\nhardware-id = X_1", "lab.world:1: queue Q needs a port"},
      {"[queue Q]\nhardware-id = X_1\nplotter = P\nport = USB001\n"
       "[plotter P]\nconnection = printer\nmodel = VelkorClassic59da",
       "lab.world:1: queue Q has a plotter or a hardware-id, not both"},
      {"[queue A\\B]\nport = USB001",
       "lab.world:1: queue name \"A\\B\" holds \"\\\", which a registry key name cannot"},
      {"[queue Q]\nhardware-id = X_1\nport = USB&1",
       "lab.world:3: port \"USB&1\" holds \"&\", which a registry key name cannot (it names "
       "the device behind the queue)"},
      {"[queue Q]\nhardware-id = X\\x01\nport = LPT1:",
       "lab.world:2: hardware-id \"X\\x01\" holds \"\\x01\", which a registry key name cannot"},
  };
  for (const FaultCase& c : cases) EXPECT_EQ(faultOf(c.text), c.fault) << c.text;
}

TEST(WorldFileTest, AQueueWithoutDeviceTakesAnyPort) {
  sim::WorldPlan world = parsed("[queue Q]\nport = \\\\\\\\server\\\\laser & co\\r\n");
  EXPECT_EQ(world.queues[0].port, "\\\\server\\laser & co\r");
}

}  // namespace
}  // namespace velkor::test
