// The two ways an update stream reaches a plotter: the plotter link's transfer channel (vendor
// driver), or RAW print jobs to the plotter's print queue (USB printing class).
#pragma once

#include <cstdint>
#include <string>

namespace firmware {

// The stream file at streamPath as a firmware file on the open plotter link: 0, or
// kUpdateSendFailed.
int sendUpdateToDriver(const char* streamPath);

// The stream file at streamPath to the printing-class plotter of the plotter list's row, through
// its print queue; every job is named streamPath. Firmware up to version 1.12 (or of unknown
// version) is first switched into its download state and waited for. 0, kUpdateSendFailed, or
// a result of plotter::printFileJobs.
int sendUpdateToPrinter(int16_t plotterRow, const std::string& firmwareVersion,
                        const char* queueName, const char* streamPath);

}  // namespace firmware
