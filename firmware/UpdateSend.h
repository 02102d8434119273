// The two ways an update stream reaches a plotter: the plotter link's transfer channel (vendor
// driver), or RAW print jobs to the plotter's print queue (USB printing class).
#pragma once

#include <cstdint>
#include <string>

#include "plotter/PrintJobFollow.h"

namespace firmware {

// The stream file at streamPath as a firmware file on the open plotter link: 0, or
// kUpdateSendFailed.
int sendUpdateToDriver(const char* streamPath);

// The stream file at streamPath to the printing-class plotter of the plotter list's row, through
// its print queue; every job is named streamPath. Firmware up to version 1.12 (or of unknown
// version) is first switched into its download state and waited for. The announcing job must
// have left the queue before the stream follows, and the stream's jobs before it counts as
// sent. The result is 0, kUpdateSendFailed (with the spooler's report when the announcement was
// held in the queue), or a result of plotter::printFileJobs.
plotter::SendOutcome sendUpdateToPrinter(int16_t plotterRow, const std::string& firmwareVersion,
                                         const char* queueName, const char* streamPath);

}  // namespace firmware
