// The printers' registry keys the Linux machine builds from CUPS queues and USB printer ports,
// read back through the simulated machine's .reg parser.
#include <gtest/gtest.h>

#include <map>

#include "os/linux/DeviceId1284.h"
#include "os/linux/PrintersRegistry.h"
#include "os/sim/RegText.h"

namespace os::linux_platform {
namespace {

const std::string kPrinters = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers\\";

// Every value as "key|name" -> its text (multi-strings with '|' between their parts).
std::map<std::string, std::string> valuesOf(const std::string& regText) {
  std::string error;
  std::optional<os::sim::RegistryText> parsed = os::sim::parseRegistryText(regText, &error);
  EXPECT_TRUE(parsed) << error;
  std::map<std::string, std::string> values;
  for (const auto& key : parsed ? parsed->keys : std::vector<os::sim::RegistryKeyText>{}) {
    for (const auto& value : key.values) {
      std::string text(value.data.begin(), value.data.end());
      while (!text.empty() && text.back() == '\0') text.pop_back();
      for (char& c : text) c = c == '\0' ? '|' : c;
      values[key.path + "|" + value.name] = text;
    }
  }
  return values;
}

UsbPrinterPort port(const char* name, const char* model, const char* serial, const char* instance) {
  return {name,    "",     0x0dd4,
          0x0301,  serial, std::string("MFG:Velkor;MDL:") + model + ";CLS:PRINTER;",
          instance};
}

TEST(PrintersRegistry, QueuesOnPresentUsbPrintersGetTheirPortAndDeviceKeys) {
  const std::vector<UsbPrinterPort> ports = {
      port("USB001", "Classic 5", "A100", "USB\\VID_0DD4&PID_0301\\A100"),
      port("USB002", "Classic 5", "B200", "USB\\VID_0DD4&PID_0301\\B200")};
  const std::vector<CupsQueue> queues = {
      {"Second", "usb://Velkor/Classic%205?serial=B200", IPP_PSTATE_IDLE, {}, true, ""},
      {"Again", "usb://velkor/classic%205?serial=B200&interface=0", IPP_PSTATE_IDLE, {}, true, ""},
      {"Office", "ipp://printer.local/ipp/print", IPP_PSTATE_IDLE, {}, true, ""},
      {"Gone", "usb://Velkor/Classic%205?serial=C300", IPP_PSTATE_STOPPED, {}, true, ""}};
  const auto values = valuesOf(printersRegistryText(queues, ports));

  EXPECT_EQ(values.at(kPrinters + "Second|Port"), "USB002");
  EXPECT_EQ(values.at(kPrinters + "Again|Port"), "USB002");
  EXPECT_EQ(values.at(kPrinters + "Office|Port"), "ipp");
  EXPECT_EQ(values.at(kPrinters + "Gone|Port"), "usb");
  EXPECT_FALSE(values.count(kPrinters + "Office\\PnPData|DeviceInstanceID"));
  EXPECT_FALSE(values.count(kPrinters + "Gone\\PnPData|DeviceInstanceID"));

  // The printer child names its USB parent by the parent's ParentIdPrefix, as discovery reads.
  const std::string model = usbPrintModelId("Velkor", "Classic 5");
  const std::string device = values.at(kPrinters + "Second\\PnPData|DeviceInstanceID");
  EXPECT_EQ(device.rfind("USBPRINT\\" + model + "\\", 0), 0u) << device;
  EXPECT_EQ(device.substr(device.size() - 7), "&USB002");
  const std::string prefix =
      values.at("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_0dd4&Pid_0301\\B200|ParentIdPrefix");
  EXPECT_EQ(device, "USBPRINT\\" + model + "\\" + prefix + "&USB002");
  EXPECT_NE(prefix, values.at("SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_0dd4&Pid_0301\\A100|"
                              "ParentIdPrefix"));
  EXPECT_EQ(values.at("SYSTEM\\CurrentControlSet\\Enum\\" + device + "|HardwareID"),
            "USBPRINT\\" + model + "|" + model);
}

TEST(PrintersRegistry, NoQueuesStillHasThePrintersKey) {
  std::string error;
  auto parsed = os::sim::parseRegistryText(printersRegistryText({}, {}), &error);
  ASSERT_TRUE(parsed) << error;
  ASSERT_EQ(parsed->keys.size(), 1u);
  EXPECT_EQ(parsed->keys[0].path + "\\", kPrinters);
}

}  // namespace
}  // namespace os::linux_platform
