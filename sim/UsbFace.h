// A virtual plotter as a USB device: what a host controller would see of it on the bus. It
// holds no plotter logic of its own: every transfer becomes the request that the plotter's own
// face answers (sim/DriverFace.h or sim/PrintClassFace.h, by its connection), so the plotter
// behaves, misbehaves and logs alike whichever way it is reached.
//
//   on the driver connection:
//     interfaces        the identity's
//     vendor request    usb::controlRecordFor -> IOCTL_UDRV_CONTROL_REQUEST (data out-direct)
//     bulk OUT / IN     a write / read of the pipe "2" / "129"
//     interrupt IN      a read of the pipe "131" (the 2-byte status word)
//     SET/GET_CONFIGURATION, SET_INTERFACE, a cleared endpoint halt, a port reset
//                       IOCTL_UDRV_SET_CONFIGURATION (UNCONFIGURE for 0), _GET_CONFIGURATION,
//                       _SET_INTERFACE, _RESET_PIPE, _RESET_DEVICE
//   on the printer connection:
//     interfaces        one printer interface: class 7, subclass 1, protocol 2, bulk OUT 0x02
//                       ("PIPE02") and bulk IN 0x81 ("PIPE129")
//     vendor request    0x41 -> IOCTL_USBPRINT_VENDOR_SET_COMMAND,
//                       0xC1 -> IOCTL_USBPRINT_VENDOR_GET_COMMAND (see below)
//     GET_DEVICE_ID     (0xA1, 0) the IEEE 1284 ID, after its 2-byte big-endian length
//     GET_PORT_STATUS   (0xA1, 1) -> IOCTL_USBPRINT_GET_LPT_STATUS
//     bulk OUT / IN     a write of PIPE02 / a read of PIPE129
//   on both: descriptors and GET_STATUS from sim/UsbDescriptors.h (self-powered).
//
// The printing class's vendor requests carry what Windows' printing class makes of the
// command's input bytes: bRequest the first byte, wValue the second (high) and third (low),
// wIndex the interface, and for a set the bytes after the third as the data stage. The face
// takes letters up to the first zero byte, so a query of up to three letters travels whole (a
// shorter one is padded with zero bytes, which the face drops).
//
// Claiming the driver connection's interface takes the driver's device lock (logged "take"),
// releasing it lets go ("release"): on USB the claim is what holds the device for one program.
//
// Faces complete requests in the simulated machine's virtual time; here a request that the face
// ends after a delay ends that many real milliseconds later, and one it never ends stays pending
// until discarded. A bulk or interrupt IN transfer waits until the plotter has something to send
// on that pipe, as a device NAKs until then. A face's driver time-out is a device that never
// answers: the transfer stays pending until the host gives up on it.
//
// Not thread-safe: one caller at a time, as for the plotter itself.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"
#include "sim/UsbDescriptors.h"
#include "sim/VirtualPlotter.h"
#include "usb/ControlTransfer.h"

namespace sim {

// The printing-class requests of a USB printer interface.
inline constexpr BYTE kPrinterGetDeviceId = 0;
inline constexpr BYTE kPrinterGetPortStatus = 1;
inline constexpr BYTE kPrinterSoftReset = 2;

// The IEEE 1284 device ID a printer plotter reports (without the 2-byte length): maker, the
// model its hardware-ID text names (model; the platform name when empty), command set, class
// and serial number.
std::string printerDeviceId(const VirtualPlotter& plotter, const std::string& model);

// One transfer as the host hands it to the device. A control transfer's buffer begins with
// its 8-byte setup packet, and its length counts them.
struct UsbTransfer {
  enum class Type { Control, Bulk, Interrupt };
  Type type = Type::Bulk;
  BYTE endpoint = 0;
  BYTE* buffer = nullptr;  // kept valid by the host until the transfer has ended
  uint32_t length = 0;
  uint64_t tag = 0;        // the host's name for it
};

// How a transfer ended, as usbfs reports a URB: status 0 or a negative errno, and the bytes
// moved (for a control transfer without its setup packet).
struct UsbTransferEnd {
  uint64_t tag = 0;
  int status = 0;
  uint32_t actualLength = 0;
};

class UsbFace {
 public:
  using Clock = std::chrono::steady_clock;

  // Serves the plotter's face as it is now; a face that goes away (unplug, an update taken)
  // fails what follows, and a plotter that comes back needs a new UsbFace.
  UsbFace(VirtualPlotter& plotter, std::string model = {});
  ~UsbFace();
  UsbFace(const UsbFace&) = delete;
  UsbFace& operator=(const UsbFace&) = delete;

  // The identity as USB shows it (a printer plotter's interface is the printer class's).
  const PlotterIdentity& identity() const { return identity_; }
  // The device descriptor followed by the configuration, as sysfs lists them in "descriptors".
  Bytes descriptors() const;
  bool printer() const { return identity_.connection == Connection::Printer; }

  // --- Requests that end at once: 0 or a negative errno ---------------------------------------
  int claimInterface(unsigned interfaceNumber);
  int releaseInterface(unsigned interfaceNumber);
  int setConfiguration(int value);
  int setInterface(unsigned interfaceNumber, unsigned alternateSetting);
  int clearHalt(BYTE endpoint);
  int reset();

  // --- Transfers ------------------------------------------------------------------------------
  // Takes a transfer: 0, or a negative errno when the device refuses it outright. It ends now or
  // later; ended() hands out what has ended.
  int submit(const UsbTransfer& transfer);
  // Ends a transfer still pending with -ENOENT; false when there is none with that tag.
  bool discard(uint64_t tag);
  // What has ended by now, in the order it ended; moves what fell due.
  std::vector<UsbTransferEnd> ended();
  // When something pending falls due next (none: only a host's request or data can end it).
  std::optional<Clock::time_point> nextDeadline() const;
  bool hasPending() const { return !pending_.empty(); }
  // The device has left the bus: whatever is pending ends with -ENODEV, and so does what comes.
  void unplugged();
  bool gone() const;

 private:
  struct Pending;
  struct Endpoints;

  int controlTransfer(const UsbTransfer& transfer);
  int standardRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup);
  int vendorRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup);
  int printerClassRequest(const UsbTransfer& transfer, const usb::ControlSetup& setup);
  int pipeTransfer(const UsbTransfer& transfer);
  int deviceIoctl(DWORD code, const Bytes& input, BYTE* output, DWORD outputLength,
                  os::sim::IoOutcome* outcome);
  void take(const UsbTransfer& transfer, os::sim::IoCompletion completion);
  void start(Pending& pending);
  void finish(Pending& pending, os::sim::IoOutcome outcome);
  int endNow(const UsbTransfer& transfer, int status, uint32_t length);
  bool inWaiting(BYTE endpoint) const;
  os::sim::DeviceEndpoint* endpointFor(BYTE endpoint);
  bool openEndpoints();

  VirtualPlotter& plotter_;
  std::string model_;
  PlotterIdentity identity_;
  std::shared_ptr<os::sim::SimDevice> face_;
  std::unique_ptr<Endpoints> endpoints_;
  std::map<uint64_t, std::unique_ptr<Pending>> pending_;
  std::vector<UsbTransferEnd> ended_;
  unsigned claimed_ = 0;  // a bit per claimed interface
  bool unplugged_ = false;
};

}  // namespace sim
