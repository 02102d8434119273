// Worlds built on a simulated machine: the registry discovery reads, read back through the
// registry calls; the plotters plugged in; power coming back after an update; world files on
// disk; and the built-in default world.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/ModelTable.h"
#include "os/Handles.h"
#include "sim/DefaultWorld.h"
#include "sim/World.h"
#include "sim/WorldFile.h"
#include "sim/WorldRegistry.h"
#include "tests/sim/SampleUpdateStream.h"
#include "tests/support/SampleFirmware.h"
#include "usb/UsbDriver.h"

namespace velkor::test {
namespace {

constexpr const char* kPrinters =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";

class WorldTest : public ::testing::Test {
 protected:
  void use(const std::string& text) {
    std::string error;
    world = sim::World::fromText(text, "lab.world", &error);
    ASSERT_TRUE(world) << error;
    platform.emplace(world->machine());
    handlesAtStart = world->machine().openHandleCount();
  }

  void TearDown() override {
    if (world) {
      EXPECT_EQ(world->machine().openHandleCount(), handlesAtStart);
    }
  }

  // The value's bytes as RegQueryValueExA gives them (read for its size, then into a block of
  // that size); nullopt when the key or value is missing.
  static std::optional<std::string> value(const std::string& key, const char* name,
                                          DWORD* type = nullptr) {
    HKEY raw = nullptr;
    if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    os::UniqueRegKey opened(raw);
    DWORD size = 0;
    if (os::RegQueryValueExA(opened.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::string bytes(size, '\0');
    EXPECT_EQ(os::RegQueryValueExA(opened.get(), name, nullptr, type,
                                   reinterpret_cast<BYTE*>(bytes.data()), &size),
              ERROR_SUCCESS);
    return bytes;
  }

  static std::string text(const std::string& key, const char* name) {
    std::optional<std::string> bytes = value(key, name);
    return bytes ? bytes->substr(0, bytes->find('\0')) : "<missing>";
  }

  static std::vector<std::string> subkeys(const std::string& key) {
    HKEY raw = nullptr;
    EXPECT_EQ(os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    os::UniqueRegKey opened(raw);
    std::vector<std::string> names;
    char name[256];
    DWORD size = sizeof name;
    while (os::RegEnumKeyExA(opened.get(), DWORD(names.size()), name, &size, nullptr, nullptr,
                             nullptr, nullptr) == ERROR_SUCCESS) {
      names.emplace_back(name, size);
      size = sizeof name;
    }
    return names;
  }

  // The device paths of the vendor driver's device list, in its order.
  static std::vector<std::string> driverDevicePaths() {
    os::UniqueDevInfo list(os::SetupDiGetClassDevsA(&usb::GUID_DEVINTERFACE_UDRV, nullptr, nullptr,
                                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    std::vector<std::string> paths;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    while (os::SetupDiEnumDeviceInterfaces(list.get(), nullptr, &usb::GUID_DEVINTERFACE_UDRV,
                                           DWORD(paths.size()), &data)) {
      alignas(SP_DEVICE_INTERFACE_DETAIL_DATA_A) char buffer[512] = {};
      auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
      detail->cbSize = sizeof *detail;
      EXPECT_TRUE(os::SetupDiGetDeviceInterfaceDetailA(list.get(), &data, detail, sizeof buffer,
                                                       nullptr, nullptr));
      paths.emplace_back(detail->DevicePath);
    }
    return paths;
  }

  static std::string queueKey(const std::string& queue) {
    return std::string(kPrinters) + "\\" + queue;
  }

  std::unique_ptr<sim::World> world;
  std::optional<os::ScopedPlatform> platform;
  size_t handlesAtStart = 0;
};

const char* const kLab = R"(
[plotter Left]
connection = printer
model = VelkorClassic59da
instance = LEFT01

[plotter Bench]
connection = driver

[plotter Right]
connection = printer
model = MoravelMark_Duo93ca

[queue Right "A4" 50% ; side]
plotter = Right
port = USB003

[queue Left main]
plotter = Left
port = USB001

[queue Left copy]
plotter = Left
port = USB002

[queue Parallel]
hardware-id = VelkorP-Series_2f94b
port = LPT1:

[queue File]
port = "FILE:\t\"out\"\\"
)";

TEST_F(WorldTest, QueuesAreListedByNameWithTheirPorts) {
  use(R"(
[queue Zeta]
port = USB009
[queue alpha]
port = LPT2:
[queue Mid]
port = "FILE:\t\"out\"\\"
)");
  EXPECT_EQ(subkeys(kPrinters), (std::vector<std::string>{"alpha", "Mid", "Zeta"}));
  EXPECT_EQ(text(queueKey("Zeta"), "Port"), "USB009");
  EXPECT_EQ(text(queueKey("alpha"), "Port"), "LPT2:");
  DWORD type = 0;
  EXPECT_EQ(value(queueKey("Mid"), "Port", &type), std::string("FILE:\t\"out\"\\\0", 13));
  EXPECT_EQ(type, DWORD{REG_SZ});
  // Queues without a device are network or file printers: no PnPData.
  EXPECT_EQ(value(queueKey("Zeta") + "\\PnPData", "DeviceInstanceID"), std::nullopt);
}

TEST_F(WorldTest, APrinterPlotterLeadsFromItsQueuesToItsUsbDevice) {
  use(kLab);
  const std::string left = sim::parentIdPrefix(0);
  const std::string right = sim::parentIdPrefix(2);
  EXPECT_NE(left, right);
  EXPECT_EQ(left.substr(0, 2), "7&");
  EXPECT_EQ(left.substr(left.size() - 2), "&0");

  const std::string main = text(queueKey("Left main") + "\\PnPData", "DeviceInstanceID");
  EXPECT_EQ(main, "USBPRINT\\VelkorClassic59da\\" + left + "&USB001");
  EXPECT_EQ(text(queueKey("Left copy") + "\\PnPData", "DeviceInstanceID"),
            "USBPRINT\\VelkorClassic59da\\" + left + "&USB002");
  DWORD type = 0;
  EXPECT_EQ(value("SYSTEM\\CurrentControlSet\\Enum\\" + main, "HardwareID", &type),
            std::string("USBPRINT\\VelkorClassic59da\0VelkorClassic59da\0\0", 46));
  EXPECT_EQ(type, DWORD{REG_MULTI_SZ});

  // The USB device of the model row's identifiers, whose ParentIdPrefix the printer's ID holds.
  EXPECT_EQ(subkeys("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_2e7a&Pid_0301"),
            std::vector<std::string>{"LEFT01"});
  EXPECT_EQ(
      text("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_2e7a&Pid_0301\\LEFT01", "ParentIdPrefix"),
      left);
  EXPECT_EQ(
      text("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_2e7a&Pid_4d0a\\VK0000003", "ParentIdPrefix"),
      right);
}

TEST_F(WorldTest, NamesWithQuotesAndBackslashesReadBackAsWritten) {
  use(kLab);
  const std::string queue = "Right \"A4\" 50% ; side";
  EXPECT_EQ(subkeys(kPrinters),
            (std::vector<std::string>{"File", "Left copy", "Left main", "Parallel", queue}));
  EXPECT_EQ(text(queueKey(queue), "Port"), "USB003");
  EXPECT_EQ(text(queueKey("File"), "Port"), "FILE:\t\"out\"\\");
}

TEST_F(WorldTest, AKnownModelOnTheParallelPortHasAParallelPortDevice) {
  use(kLab);
  const std::string device = text(queueKey("Parallel") + "\\PnPData", "DeviceInstanceID");
  EXPECT_EQ(device.substr(0, 29), "LPTENUM\\VelkorP-Series_2f94b\\");
  EXPECT_EQ(device.substr(device.size() - 8), "&0&LPT1:");
  EXPECT_EQ(value("SYSTEM\\CurrentControlSet\\Enum\\" + device, "HardwareID"),
            std::string("LPTENUM\\VelkorP-Series_2f94b\0VelkorP-Series_2f94b\0\0", 51));
}

TEST_F(WorldTest, PlottersArePluggedInInFileOrderWithTheirSettings) {
  use(kLab);
  ASSERT_EQ(world->plotters().size(), 3u);
  EXPECT_EQ(world->plotter("Left"), world->plotters()[0].get());
  EXPECT_EQ(world->plotter("Nobody"), nullptr);
  sim::VirtualPlotter& bench = *world->plotter("Bench");
  EXPECT_TRUE(bench.present());
  EXPECT_EQ(bench.identity.instanceSerial, "VK0000002");
  EXPECT_EQ(bench.state.replyEnding, "");
  EXPECT_EQ(world->plan().plotters[2].label, "Right");
}

TEST_F(WorldTest, DriverPlottersAreListedInFileOrder) {
  use("[plotter Zulu]\n[plotter Alpha]\ninstance = ALPHA\n[plotter Mike]\n");
  EXPECT_EQ(driverDevicePaths(), (std::vector<std::string>{world->plotter("Zulu")->devicePath(),
                                                           world->plotter("Alpha")->devicePath(),
                                                           world->plotter("Mike")->devicePath()}));
}

// An escape query on the plotter's PIPE02, and its reply: the 4-byte header transfer that gives
// the length, then the payload.
std::string escapeQuery(const sim::VirtualPlotter& plotter, const std::string& letters) {
  auto open = [&](const char* pipe) {
    const std::string path = plotter.devicePath() + pipe;
    return os::UniqueHandle(os::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  };
  const std::string command = "\x1b." + letters;
  DWORD count = 0;
  EXPECT_TRUE(os::WriteFile(open("\\PIPE02").get(), command.data(), DWORD(command.size()), &count,
                            nullptr));
  os::UniqueHandle in = open("\\PIPE129");
  DWORD length = 0;
  EXPECT_TRUE(os::ReadFile(in.get(), &length, sizeof length, &count, nullptr));
  std::string payload(length, '\0');
  count = 0;
  if (length > 0) {
    EXPECT_TRUE(os::ReadFile(in.get(), payload.data(), length, &count, nullptr));
  }
  return payload.substr(0, count);
}

void printRaw(const char* queue, const std::string& data) {
  std::string name = queue;
  HANDLE raw = nullptr;
  ASSERT_TRUE(os::OpenPrinterA(name.data(), &raw, nullptr));
  os::UniquePrinter printer(raw);
  char document[] = "drawing";
  char datatype[] = "RAW";
  DOC_INFO_1A info{document, nullptr, datatype};
  EXPECT_NE(os::StartDocPrinterA(printer.get(), 1, reinterpret_cast<BYTE*>(&info)), 0u);
  DWORD written = 0;
  EXPECT_TRUE(os::WritePrinter(printer.get(), const_cast<char*>(data.data()), DWORD(data.size()),
                               &written));
  EXPECT_TRUE(os::EndDocPrinter(printer.get()));
}

TEST_F(WorldTest, APrinterPlotterAnswersOnItsFaceAndTakesTheJobsOfItsQueues) {
  use(std::string(kLab) +
      "[plotter Far]\nconnection = printer\nmodel = VelkorClassic59da\n"
      "firmware = \"2.01 A3 \"\n");
  sim::VirtualPlotter& distant = *world->plotter("Far");
  EXPECT_EQ(escapeQuery(distant, "6"), "2.01 A3 ") << "a world's reply ends as it is written";
  EXPECT_EQ(escapeQuery(*world->plotter("Left"), "5"), "ZK400");
  EXPECT_EQ(driverDevicePaths(), std::vector<std::string>{world->plotter("Bench")->devicePath()})
      << "printer plotters are no driver devices";

  printRaw("Left copy", "PA0,0;");
  printRaw("Left main", "PD10,10;");
  printRaw("File", "to a file");
  const sim::VirtualPlotter& left = *world->plotter("Left");
  ASSERT_EQ(left.printJobs().size(), 2u);
  EXPECT_EQ(left.printJobs()[0].queue, "Left copy");
  EXPECT_EQ(left.printJobs()[1].queue, "Left main");
  EXPECT_TRUE(world->plotter("Right")->printJobs().empty());
  EXPECT_EQ(world->machine().printJobs().size(), 3u);
}

TEST_F(WorldTest, APlotterShutOffByAnUpdateComesBackWhenPoweredOn) {
  use("[plotter Soon]\npower-on-after = 1500\n[plotter Default]\n[plotter Never]\n"
      "instance = N1\npower-on-after = never\n");
  for (const auto& plotter : world->plotters()) {
    plotter->unplug();  // as an update it accepted does, which then tells the world
    if (plotter->whenShutOff) plotter->whenShutOff();
  }
  os::Sleep(1499);
  EXPECT_FALSE(world->plotter("Soon")->present());
  os::Sleep(1);
  EXPECT_TRUE(world->plotter("Soon")->present());
  os::Sleep(20000 - 1500 - 1);
  EXPECT_FALSE(world->plotter("Default")->present());
  os::Sleep(1);
  EXPECT_TRUE(world->plotter("Default")->present());
  os::Sleep(1000000);
  EXPECT_FALSE(world->plotter("Never")->present());
}

TEST_F(WorldTest, APrinterPlotterUpdatedThroughItsQueueComesBackWhenPoweredOn) {
  use("[plotter Left]\nconnection = printer\nmodel = VelkorClassic59da\npower-on-after = 1500\n"
      "[queue Left main]\nplotter = Left\nport = USB001\n");
  const std::vector<BYTE> stream = updateStream("PROG 2.01 A3", varied(4096));
  printRaw("Left main", "\x1b.DL");
  printRaw("Left main", std::string(stream.begin(), stream.end()));
  sim::VirtualPlotter& left = *world->plotter("Left");
  EXPECT_FALSE(left.present());
  os::Sleep(1499);
  EXPECT_FALSE(left.present());
  os::Sleep(1);
  ASSERT_TRUE(left.present());
  EXPECT_EQ(escapeQuery(left, "6"), "2.01 A3");
}

TEST(WorldFileLoadTest, AFileIsReadOrItsReasonGiven) {
  TempFile file(".world");
  std::ofstream(file.path()) << "[queue Q]\nport = USB001\n[queue\n";
  std::string error;
  EXPECT_FALSE(sim::World::load(file.string(), &error));
  EXPECT_EQ(error, file.string() + ":3: section header without its closing ']'");

  std::ofstream(file.path()) << "[queue Q]\nport = USB001\n";
  std::unique_ptr<sim::World> world = sim::World::load(file.string(), &error);
  ASSERT_TRUE(world) << error;
  EXPECT_EQ(world->plan().queues.size(), 1u);

  const std::string missing = file.string() + ".missing";
  EXPECT_FALSE(sim::World::load(missing, &error));
  EXPECT_EQ(error, missing + ": cannot open: No such file or directory");
  const std::string directory = file.path().parent_path().string();
  EXPECT_FALSE(sim::World::load(directory, &error)) << "a directory is no empty world";
  // The reason is the system's own: "Is a directory" here, "Permission denied" on Windows.
  EXPECT_EQ(error.rfind(directory + ": cannot open: ", 0), 0u) << error;
}

TEST_F(WorldTest, TheDefaultWorldCoversBothConnectionsAndEveryKindOfQueue) {
  use(sim::defaultWorldText());
  const sim::WorldPlan& plan = world->plan();
  int drivers = 0;
  int updating = 0;
  std::vector<int> selectors;
  for (const sim::PlotterPlan& plotter : plan.plotters) {
    if (plotter.identity.connection == sim::Connection::Driver) {
      ++drivers;
      updating += plotter.state.updateMode ? 1 : 0;
      continue;
    }
    const int16_t row = discovery::findModelByHardwareId(plotter.model);
    ASSERT_GE(row, 0) << plotter.label;
    const discovery::ModelEntry& entry = discovery::modelTable()[size_t(row)];
    selectors.push_back(entry.commandTableSelector);
    EXPECT_TRUE(entry.sizeClass == 0 || entry.kind == 0) << plotter.label << " is asked";
    EXPECT_FALSE(plotter.state.serialNumber.empty());
  }
  EXPECT_EQ(drivers, 3);
  EXPECT_EQ(updating, 1);
  EXPECT_EQ(selectors, (std::vector<int>{0, 1}));
  ASSERT_EQ(plan.queues.size(), 4u);
  EXPECT_EQ(text(queueKey("Velkor P-Series LPT"), "Port"), "LPT1:");
  EXPECT_EQ(value(queueKey("Office Laser") + "\\PnPData", "DeviceInstanceID"), std::nullopt);
  for (const auto& plotter : world->plotters()) EXPECT_TRUE(plotter->present());
}

}  // namespace
}  // namespace velkor::test
