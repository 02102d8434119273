// Print jobs through the print spooler: how data reaches a plotter behind a print queue (a USB
// printer port), plot files and firmware update streams alike.
#pragma once

#include <cstdint>
#include <optional>

#include "os/Handles.h"
#include "plotter/PrintJobFollow.h"

namespace plotter {

// Every chunk of a file is a job of its own.
inline constexpr uint32_t kPrintJobChunk = 1048576;

// Results of printFileJobs.
inline constexpr int kPrintFileRead = -1;   // read error: the jobs before it were submitted
inline constexpr int kPrintFileOpen = -2;   // the file cannot be opened
inline constexpr int kPrintJobFailed = -3;  // a job was refused, only partly written, or held
inline constexpr int kPrintNoBuffer = -5;   // the chunk buffer could not be had

// The print queue of that name opened for the calls of a job; empty with the last error set
// (a null name would open the print server itself, not a queue).
os::UniquePrinter openPrintQueue(const char* queueName);
// One RAW job of count bytes named document on the queue: its ID, as StartDocPrinterA numbered
// it, when the spooler wrote all count bytes and the page and the document ended; none
// otherwise. The result of closing the printer does not count. The job may still be in the
// queue: followPrintJobs tells when it has left.
std::optional<DWORD> printRawJob(const char* queueName, const void* data, uint32_t count,
                                 const char* document);
// The file at path as jobs of at most kPrintJobChunk bytes, each named with path; a file whose
// length is a multiple of the chunk (an empty one included) ends with a job of 0 bytes. Once all
// are submitted, they are followed until they have left the queue. The result is 0 or one of
// the results above; a queue that held a job gives kPrintJobFailed and the spooler's report.
SendOutcome printFileJobs(const char* path, const char* queueName);

}  // namespace plotter
