// A virtual plotter: the identity and state of one plotter, what it does with the jobs the
// driver or the printing class brings it, how it misbehaves on request, and a record of all of
// it for tests.
//
// Tests set the public settings, plug the plotter into a simulated machine and run the system's
// real code against it:
//
//   sim::VirtualPlotter plotter;
//   plotter.state.firmwareText = "2.01 A3";
//   plotter.misbehaviour.statusWord = 0x0012;
//   plotter.plugIn(machine);
//   ... ;
//   EXPECT_EQ(plotter.driverLog(), "take,take,request:05,status:0012,release,release");
//
// By its identity's connection the plotter answers either the driver through its driver face
// (sim/DriverFace.h; the transfer protocol itself is in sim/PlotterJobs.h) or the printing class
// through its printing-class face (sim/PrintClassFace.h). Both answer the queries alike
// (sim/PlotterReplies.h). RAW print jobs reach it through a spooler port it serves. Both
// faces take update streams alike (updates(), the stream's rules in PlotterState) and record
// the plot data they receive (plots(), sim/Plots.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "os/sim/PrintJob.h"
#include "os/sim/SimDevice.h"
#include "sim/DriverLog.h"
#include "sim/Plots.h"
#include "sim/PlotterJobs.h"
#include "sim/PrinterLog.h"
#include "sim/UpdateStreamCheck.h"
#include "usb/UsbIdentifiers.h"

namespace os::sim {
class SimMachine;
}

namespace sim {

class DriverFace;
class PrintClassFace;

struct EndpointSetup {
  BYTE address;
  BYTE attributes;  // 2 bulk, 3 interrupt
  WORD maxPacketSize;
  BYTE interval;
};

struct InterfaceSetup {
  BYTE interfaceClass;
  BYTE interfaceSubClass;
  BYTE interfaceProtocol;
  std::vector<EndpointSetup> endpoints;
};

// The plotter interface: class 7, subclass 0xFF, protocol 0; bulk IN 0x81, bulk OUT 0x02 and
// interrupt 0x83, so its pipes are "129", "2" and "131".
InterfaceSetup plotterInterface();

// How the plotter is attached: through the maker's driver (its driver face) or as a USB printer
// port of the printing class (its printing-class face).
enum class Connection { Driver, Printer };

// What the plotter is on the bus. The defaults are a link plotter with the legacy identifiers.
struct PlotterIdentity {
  WORD vendorId = usb::kLegacyVendorId;
  WORD productId = usb::kLegacyProductId;
  std::string instanceSerial = "VK0000001";  // last part of its device path
  // The interfaces of its one configuration, in order; a test may put others before the
  // plotter interface.
  std::vector<InterfaceSetup> interfaces = {plotterInterface()};
  // False: the configuration value is 0 until the driver is told to configure the device.
  bool configured = true;
  Connection connection = Connection::Driver;
};

// What the plotter answers to the one-letter queries, and what it is. An update stream that
// checks out (sim/UpdateStreamCheck.h) makes the plotter shut off until powerOn(), after taking
// from it: for a "BOOT" stream the boot text, for a "CONF" stream nothing, for any other the
// firmware text and the end of update mode. The text is the title after its section keyword
// ("PROG 2.01 A3" gives "2.01 A3"); an empty one changes nothing.
struct PlotterState {
  std::string platformName = "ZK400";      // "5" in normal operation
  std::string bootPlatformName = "ZK4BS";  // "5" while in update mode
  std::string firmwareText = "1.14aKR A4"; // "6"
  std::string bootText = "3.02";           // "7"
  std::string hardwareText = "MB-7 rev C"; // "8"
  std::string tool = "Graver 0.3";         // "A"
  std::string status = "Ready";            // "B"
  std::string fixtures = "Vise 80";        // "4;"
  std::string online = "0";                // "9"
  std::string serialNumber = "40123456";   // "S:"
  bool updateMode = false;                 // the boot program answers ("S=:" gives "1")
  // What ends each of the texts above in a reply: a carriage return, as firmware ends its
  // replies; a world gives its replies exactly as written and so ends them with nothing.
  std::string replyEnding = "\r";
  // Answers by the whole query text, sent exactly as given (without the ending); a query known
  // nowhere gets an empty reply.
  std::map<std::string, std::string> replies;
};

// A RAW print job as it reached the plotter through its port.
struct ReceivedPrintJob {
  std::string queue;
  std::string document;
  uint64_t size = 0;
  uint32_t checksum = 0;    // WordChecksum of its bytes
  std::vector<BYTE> bytes;  // when the plotter keeps received bytes, the first kKeptPlotBytes
};

// Ways to misbehave, all off by default.
struct Misbehaviour {
  WORD statusWord = 0;                  // posted after requests (0: all is well)
  std::optional<BYTE> statusWordFor;    // ...only after requests with this code
  int controlTimeouts = 0;              // the next n control requests time out; -1: every one
  os::sim::Tick timeoutDelay = 5000;    // after which a timed-out request fails
  std::optional<DWORD> announcedReplyLength;  // announced instead of a reply's true length
  std::optional<size_t> vanishAtChunk;  // the plotter goes away when this bulk OUT chunk of a
                                        // file (0-based) arrives; that write fails
  os::sim::Tick replyDelay = 0;         // bulk IN reads (and on the printer vendor requests)
                                        // complete this much later
  os::sim::Tick chunkDelay = 0;         // driver: each bulk OUT chunk of a file is taken this
                                        // much later, as by a plotter that draws as it goes
  std::optional<DWORD> attachError;     // IOCTL_UDRV_ATTACH_PIPE fails with this status
  // Driver: the device is listed, but opening it or its pipes fails with this error, as when
  // another program holds it (ERROR_SHARING_VIOLATION) or this user may not (ERROR_ACCESS_DENIED).
  std::optional<DWORD> openError;
  // --- Also on the printing-class face ---
  // Printer: the port-status request fails, and nothing else answers either (commands written
  // are taken and ignored, bulk IN reads stay pending, vendor requests fail).
  bool switchedOff = false;
  // Never answers: every driver control request times out; on the printer no escape reply
  // comes and vendor requests fail (the port status still works).
  bool silent = false;
  // Printer: takes no data (cover open, buffer full, firmware hung): every write to its bulk OUT
  // pipe and every vendor and port-status request stays pending until it is cancelled, whatever
  // else it is told. RAW print jobs from the spooler still reach it.
  bool refusesData = false;
  // Copies of the status reply left queued, as earlier exchanges nobody read would, whenever the
  // plotter is plugged in or powered on.
  int staleReplies = 0;
  std::optional<DWORD> headerBytes;  // a reply's length transfer carries only this many bytes
                                     // (at most 4)
  // Sent on the bulk IN pipe in answer to every query instead of its length and reply.
  std::optional<std::vector<std::vector<BYTE>>> replyTransfers;
};

class VirtualPlotter {
 public:
  explicit VirtualPlotter(PlotterIdentity identity = {});
  ~VirtualPlotter();
  VirtualPlotter(const VirtualPlotter&) = delete;
  VirtualPlotter& operator=(const VirtualPlotter&) = delete;

  PlotterIdentity identity;
  PlotterState state;
  Misbehaviour misbehaviour;

  // Registers the plotter's device interface with the machine. On the driver connection it is
  // of GUID_DEVINTERFACE_UDRV, at
  //   \\?\usb#vid_XXXX&pid_XXXX#<instance serial>#{239d60c9-ccaf-11d5-ac21-204c4f4f5020};
  // on the printing class of GUID_DEVINTERFACE_USBPRINT, at
  //   \\?\usb#vid_XXXX&pid_XXXX#<instance serial>#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}
  // with the instance serial in lower case, as Windows gives interface paths.
  void plugIn(os::sim::SimMachine& machine);
  // Goes away from the machine: open handles fail from now on. Logged as "vanished". A plotter
  // that accepted an update stream does this by itself.
  void unplug();
  // Comes back (after an update shut it off, or an unplug) as a freshly enumerated device:
  // nothing it had queued is left, only the stale replies it is told to have.
  void powerOn();
  bool present() const;
  // The path of the plotter's own device interface (its face's, by its connection).
  std::string devicePath() const;

  // Attaches the machine's spooler port (e.g. "USB001"): RAW jobs printed to a queue on that
  // port reach the plotter while it is present (a job that ends while it is away is lost). May
  // be called before plugIn; the port is attached then.
  void servePort(const std::string& portName);
  // The RAW print jobs that reached the plotter, in order, whatever it made of them.
  const std::vector<ReceivedPrintJob>& printJobs() const { return printJobs_; }
  // True after the printing-class face took ESC ".DL" (as a command or as a RAW job), until it
  // has received (or refused) an update stream, or the plotter goes away.
  bool downloadState() const;
  // Set before a transfer to keep the first kKeptPlotBytes of every plot file and RAW job
  // received, in jobs().files() and printJobs() (otherwise only counts and checksums).
  void keepReceivedBytes(bool keep);

  // --- What it took, on either face ------------------------------------------------------------
  // Every update stream received to its end, or refused as soon as its transfer line told,
  // in order: the driver face's firmware files and the printing class's download streams.
  const std::vector<UpdateStreamCheck>& updates() const { return updates_; }
  // The latest of updates() in words: "" when there was none, "accepted " and the stream's
  // title ("accepted PROG 2.01 A3"), or "rejected: " and the reason ("rejected: checksum").
  std::string lastUpdateOutcome() const;
  // The plot files received, in order (sim/Plots.h); counts and checksums, no bytes.
  const std::vector<PlotRecord>& plots() const { return plots_.records(); }
  // True while a plot is being drawn: the status query answers "Plotting".
  bool plotting() const;

  // --- What the driver saw --------------------------------------------------------------------
  std::string driverLog() const { return log_.summary(); }
  const std::vector<DriverEvent>& driverEvents() const { return log_.events(); }
  void clearDriverLog() { log_.clear(); }
  // Empties all the plotter keeps for tests to read (requests, print-port events, queries
  // asked), so that a long run does not grow with them.
  void clearLogs() {
    log_.clear();
    printerLog_.clear();
    jobs_.clearQueries();
  }
  const PlotterJobs& jobs() const { return jobs_; }
  // The device lock's nesting depth now (0: free).
  int lockDepth() const;
  // Where the host broke the transfer protocol's device lock, as a real driver would suffer it:
  // "outside-lock" for a job request, status read or bulk transfer while the lock was free, and
  // "closed-while-held" for a channel closed with takes still unreleased. Kept however often the
  // logs are emptied; a sound host leaves it empty.
  const std::vector<std::string>& protocolFaults() const { return protocolFaults_; }
  void clearProtocolFaults() { protocolFaults_.clear(); }
  // Leaves a whole reply (length and bytes) queued on the bulk IN pipe, as an earlier exchange
  // that nobody read would; on the printing-class face as its two transfers, which need the
  // plotter present.
  void leaveStaleReply(const std::string& reply);
  // What the printing-class face saw, in order.
  const PrinterLog& printerLog() const { return printerLog_; }
  void clearPrinterLog() { printerLog_.clear(); }
  // Called when the plotter shuts itself off after an update stream it accepted (a world powers
  // it on again later).
  std::function<void()> whenShutOff;

  // --- For the faces --------------------------------------------------------------------------
  DriverLog& log() { return log_; }
  PlotterJobs& jobDesk() { return jobs_; }
  PrinterLog& printerLog() { return printerLog_; }
  Plots& plotDesk() { return plots_; }
  void noteProtocolFault(const std::string& what);
  // The face present now, by the connection (null while the plotter is away or for the other
  // connection): for another way of reaching the plotter that goes through it (sim/UsbFace.h).
  std::shared_ptr<DriverFace> driverFace() const { return driverFace_; }
  std::shared_ptr<PrintClassFace> printFace() const { return printFace_; }
  // The machine's clock; only while plugged in.
  os::sim::Tick now() const;
  // The answer to a query now (sim/PlotterReplies.h).
  std::string answer(const std::string& query) const;
  // Records the check of an update stream and takes what an accepted one brings (see
  // PlotterState); then the plotter shuts off and tells whenShutOff.
  void takeUpdate(const UpdateStreamCheck& check);

 private:
  void attachFace();
  void detachFace();
  void attachPort(const std::string& portName);
  void receive(const os::sim::PrintJob& job, std::span<const BYTE> data);

  PlotterJobs jobs_;
  DriverLog log_;
  PrinterLog printerLog_;
  os::sim::SimMachine* machine_ = nullptr;
  // While present, the one face the identity's connection gives it.
  std::shared_ptr<DriverFace> driverFace_;
  std::shared_ptr<PrintClassFace> printFace_;
  std::vector<std::string> ports_;
  std::vector<ReceivedPrintJob> printJobs_;
  std::vector<UpdateStreamCheck> updates_;
  std::vector<std::string> protocolFaults_;
  Plots plots_;
  bool keepBytes_ = false;
  // The spooler's port sinks hold this weakly, so that a job after the plotter's end is lost
  // instead of reaching it.
  std::shared_ptr<VirtualPlotter*> self_ = std::make_shared<VirtualPlotter*>(this);
};

}  // namespace sim
