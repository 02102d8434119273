// The printing-class face of a virtual plotter: the USB printer port that Windows' printing
// class makes of it. It answers from the same plotter state as the driver face.
//
// Endpoints below the interface path: "PIPE02" the bulk OUT pipe, "PIPE129" the bulk IN pipe,
// the path itself the device (the port-status and vendor requests); no other.
//
// Each write to PIPE02 is one escape command, ESC "." and letters:
//   query letters ("5", "6", "7", "8", "A", "B", "4", "S:", "S=:", or any with a custom answer)
//                 queue a reply
//   "S<text>:"    sets the serial number to <text>
//   "K"           reset: drops the replies still queued and ends a plot in progress
//   "DL"          enters the download state
//   "0" (the dummy command) and anything else: no reply.
// In the download state it answers as before, as its boot loader does.
// A reply travels as two USB transfers on PIPE129: a header whose 4 bytes are the payload's
// length (little-endian), then the payload (none when the reply is empty). A read completes
// with the next queued transfer, cut to the read's length (the rest stays for the next read);
// with nothing queued it stays pending until cancelled.
//
// IOCTL_USBPRINT_VENDOR_GET_COMMAND takes the query letters (up to the first zero byte) and
// returns the same replies; IOCTL_USBPRINT_VENDOR_SET_COMMAND takes "K" as a reset;
// IOCTL_USBPRINT_GET_LPT_STATUS returns one status byte.
//
// A plotter that refuses data (Misbehaviour::refusesData) takes none of it: its writes to PIPE02
// and its vendor and port-status requests stay pending until cancelled, and it sees nothing of
// them (the log shows them as refused).
//
// RAW print jobs from the spooler port: a job of exactly the four bytes ESC ".DL" enters the
// download state too. In it, the jobs that follow carry one update stream (in jobs of at most
// 1 MiB, sim/UpdateStreamReceiver.h); once it is complete, or refused by its transfer line, the
// plotter checks it and takes it (VirtualPlotter::takeUpdate) and leaves the download state. Any
// other job, and whatever follows the stream's end, is plot data (sim/Plots.h). Empty jobs
// change nothing, and a switched-off plotter takes nothing from a job.
//
// Once the plotter has gone away the face is detached: the machine fails every request on a
// handle still open, and the face logs nothing more.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"
#include "sim/BulkInQueue.h"
#include "sim/PrinterLog.h"
#include "sim/UpdateStreamReceiver.h"

namespace sim {

class VirtualPlotter;

// The port status of a plotter that is on line: selected, no error.
inline constexpr BYTE kLptStatusOnLine = 0x18;

class PrintClassFace : public os::sim::SimDevice,
                       public std::enable_shared_from_this<PrintClassFace> {
 public:
  enum class Target { Device, OutPipe, InPipe };

  explicit PrintClassFace(VirtualPlotter& plotter) : plotter_(&plotter) {}

  std::unique_ptr<os::sim::DeviceEndpoint> open(const std::string& subPath, DWORD access) override;
  void detach() { plotter_ = nullptr; }

  os::sim::IoCompletion submit(Target target, const os::sim::IoRequest& request);
  // Queues a reply's two transfers, shaped by the plotter's misbehaviour (announced length,
  // header bytes).
  void queueReply(const std::string& reply);
  bool downloadState() const { return stream_.has_value(); }
  // Whether a read of PIPE129 would end now.
  bool replyWaiting() const;
  // A RAW print job's bytes, which live only for the call.
  void printJob(const std::string& document, std::span<const BYTE> data);
  // Logs a bulk IN read that ended with this many bytes (0: cancelled or failed).
  void logRead(DWORD count);

 private:
  os::sim::IoCompletion deviceRequest(const os::sim::IoRequest& request);
  os::sim::IoCompletion write(const os::sim::IoRequest& request);
  os::sim::IoCompletion read(const os::sim::IoRequest& request);
  os::sim::IoCompletion lptStatus(const os::sim::IoRequest& request);
  os::sim::IoCompletion vendorGet(const os::sim::IoRequest& request);
  os::sim::IoCompletion vendorSet(const os::sim::IoRequest& request);
  os::sim::IoCompletion later(std::function<os::sim::IoOutcome()> finish) const;
  os::sim::IoCompletion refuse(PrinterEvent event);
  void command(const std::string& bytes);
  void reset();
  void enterDownloadState();
  size_t takeStream(std::span<const BYTE> data);

  VirtualPlotter* plotter_;
  BulkInQueue transfers_;                       // sent on the bulk IN pipe, not yet read
  std::optional<UpdateStreamReceiver> stream_;  // in the download state, the stream it awaits
};

}  // namespace sim
