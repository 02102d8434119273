// The spooler statuses the Linux machine reports for CUPS's job and printer states: the words
// plotter/PrintJobFollow reads to decide whether a job has left its queue and what holds it.
#include <gtest/gtest.h>

#include "os/linux/CupsSpooler.h"

namespace os::linux_platform {
namespace {

CupsQueue queueIn(int state, std::vector<std::string> reasons, std::string message = "") {
  CupsQueue queue;
  queue.state = state;
  queue.reasons = std::move(reasons);
  queue.message = std::move(message);
  return queue;
}

TEST(CupsStatus, JobStates) {
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_PENDING, {}), 0u);
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_PENDING, {"job-incoming"}), DWORD{JOB_STATUS_SPOOLING});
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_HELD, {"job-hold-until-specified"}), DWORD{JOB_STATUS_PAUSED});
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_PROCESSING, {}), DWORD{JOB_STATUS_PRINTING});
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_STOPPED, {}), DWORD{JOB_STATUS_ERROR});
  // An aborted job never reached the plotter: it must not read as printed.
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_ABORTED, {}), DWORD{JOB_STATUS_ERROR});
  EXPECT_EQ(jobStatusOf(IPP_JSTATE_COMPLETED, {}), DWORD{JOB_STATUS_COMPLETE});
}

TEST(CupsStatus, PrinterStates) {
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_IDLE, {})), 0u);
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_PROCESSING, {"media-empty-warning"})), 0u);
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_STOPPED, {"paused"}, "Paused")),
            DWORD{PRINTER_STATUS_PAUSED});
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_STOPPED, {"paused"}, "no plotter at USB001")),
            DWORD{PRINTER_STATUS_ERROR});
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_PROCESSING, {"offline-report"})),
            DWORD{PRINTER_STATUS_OFFLINE});
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_IDLE, {"media-jam-error"})),
            DWORD{PRINTER_STATUS_ERROR});
  EXPECT_EQ(printerStatusOf(queueIn(IPP_PSTATE_STOPPED, {"paused", "offline-report"}, "Paused")),
            DWORD{PRINTER_STATUS_OFFLINE | PRINTER_STATUS_ERROR});
}

}  // namespace
}  // namespace os::linux_platform
