// Print jobs through the print spooler: how data reaches a plotter behind a print queue (a USB
// printer port), plot files and firmware update streams alike.
#pragma once

#include <cstdint>

namespace plotter {

// Every chunk of a file is a job of its own.
inline constexpr uint32_t kPrintJobChunk = 1048576;

// Results of printFileJobs.
inline constexpr int kPrintFileRead = -1;    // read error: the jobs before it were submitted
inline constexpr int kPrintFileOpen = -2;    // the file cannot be opened
inline constexpr int kPrintJobFailed = -3;   // a job was refused, or only partly written
inline constexpr int kPrintNoBuffer = -5;    // the chunk buffer could not be had

// One RAW job of count bytes named document on the queue: true when the spooler wrote all count
// bytes and the page and the document ended; the result of closing the printer does not count.
bool printRawJob(const char* queueName, const void* data, uint32_t count, const char* document);
// The file at path as jobs of at most kPrintJobChunk bytes, each named with path; a file whose
// length is a multiple of the chunk (an empty one included) ends with a job of 0 bytes. 0 or one
// of the results above.
int printFileJobs(const char* path, const char* queueName);

}  // namespace plotter
