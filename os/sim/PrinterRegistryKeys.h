// The registry keys Windows holds for a print queue and the printer device behind it, as .reg
// text (REGEDIT4) that RegText parses (all below HKEY_LOCAL_MACHINE):
//
//   SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers\Q          "Port"
//   ...\Printers\Q\PnPData            "DeviceInstanceID" (a queue with a device)
//   SYSTEM\CurrentControlSet\Enum\<device instance ID>   "HardwareID" (multi-string)
//   SYSTEM\CurrentControlSet\Enum\USB\Vid_xxxx&Pid_xxxx\<instance>   "ParentIdPrefix"
//
// Shared by the worlds of the simulated machine and the real Linux machine, so that both hold
// the same keys discovery reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os::sim {

class RegWriter {
 public:
  void key(const std::string& path);
  // A REG_SZ value: quoted with \\ and \" escapes, or hex(1) bytes with the terminator when
  // the text holds control characters, so that it reads back as it stands.
  void text(const char* name, const std::string& value);
  // A REG_MULTI_SZ value: each text with its terminator, and one more after the last.
  void multiText(const char* name, const std::vector<std::string>& texts);
  std::string take() { return std::move(text_); }

 private:
  void hex(const char* name, int type, const std::string& bytes);
  std::string text_ = "REGEDIT4\n";
};

// The printer device a queue prints to: its bus enumerator ("USBPRINT", "LPTENUM"), its
// model part (the hardware ID after the bus) and its instance ID.
struct PrinterDevice {
  std::string bus;  // empty: the queue has no device (a network or file printer)
  std::string model;
  std::string instanceId;
};

// The printers key itself, so that a machine without queues still has it.
void writePrintersKey(RegWriter& reg);
// The queue's key with its port, and, if it has a device, its PnPData and the device's key.
void writePrintQueue(RegWriter& reg, const std::string& queue, const std::string& port,
                     const PrinterDevice& device);
// The USB device that carries a printer: its instance key with its ParentIdPrefix.
void writeUsbPrinterParent(RegWriter& reg, uint16_t vendorId, uint16_t productId,
                           const std::string& instance, const std::string& parentIdPrefix);

// The device of a printer child of a USB device: USBPRINT\<model>\<parent prefix>&<port>.
PrinterDevice usbPrinterDevice(const std::string& model, const std::string& parentIdPrefix,
                               const std::string& port);

// A number made unique by its index, formatted into format ("7&%08x&0"): the instance-ID parts
// the PnP manager would have chosen, stable from one run to the next.
std::string instancePart(const char* format, size_t index);

}  // namespace os::sim
