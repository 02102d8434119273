// What a virtual plotter's printing-class face saw, in order, for tests to assert on.
//
// summary() gives one comma-separated line, for example
//   lpt,write:\x1b.0,read:0,write:\x1b.6,read:4,read:10,get:5,set:K,job:1234
// with these tokens:
//   lpt, lpt-failed     IOCTL_USBPRINT_GET_LPT_STATUS, answered or failed (switched off)
//   write:TEXT          bytes written to the bulk OUT pipe (PIPE02); bytes outside printable
//                       ASCII as \xHH
//   read:N              a bulk IN read (PIPE129) that completed with N bytes (0: cancelled or
//                       failed)
//   get:TEXT, set:TEXT  IOCTL_USBPRINT_VENDOR_GET_COMMAND / _SET_COMMAND with their input bytes
//                       up to the first zero byte
//   job:N               a RAW print job of N bytes that reached the plotter through its port
//   abort               a reset (ESC ".K" or the vendor set request "K") ended a plot in progress
//   vanished            the plotter went away
// A request that a plotter taking no data left pending (until cancelled) shows as its token after
// "refused:": refused:write:TEXT, refused:lpt, refused:get:TEXT, refused:set:TEXT.
#pragma once

#include <string>
#include <vector>

#include "os/Win32.h"

namespace sim {

struct PrinterEvent {
  enum class Kind { LptStatus, LptStatusFailed, PipeWrite, PipeRead, VendorGet, VendorSet,
                    PrintJob, Abort, Vanished };
  Kind kind;
  DWORD value = 0;    // PipeRead: the byte count; PrintJob: the job's byte count
  std::string bytes;  // PipeWrite, VendorGet, VendorSet: every byte written or put in
  bool refused = false;  // the request was left pending: the plotter takes no data
};

class PrinterLog {
 public:
  void add(PrinterEvent event) { events_.push_back(std::move(event)); }
  const std::vector<PrinterEvent>& events() const { return events_; }
  void clear() { events_.clear(); }
  std::string summary() const;

 private:
  std::vector<PrinterEvent> events_;
};

}  // namespace sim
