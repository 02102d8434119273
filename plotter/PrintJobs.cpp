#include "plotter/PrintJobs.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#include "os/Handles.h"
#include "os/HostPath.h"
#include "os/UniqueFile.h"
#include "prompt/Progress.h"

namespace plotter {
namespace {

constexpr char kRawDatatype[] = "RAW";

// Starts a page, writes the block and ends the page again if it was started; true when all
// three succeeded and every byte was taken.
bool printPage(HANDLE printer, const void* data, uint32_t count) {
  if (!os::StartPagePrinter(printer)) return false;
  DWORD written = 0;
  // The spooler only reads the block; its signature predates const.
  const bool wrote =
      os::WritePrinter(printer, const_cast<void*>(data), count, &written) && written == count;
  const bool ended = os::EndPagePrinter(printer) != FALSE;
  return wrote && ended;
}

// Starts a RAW document, prints the page and ends the document again if it was started.
bool printDocument(HANDLE printer, const void* data, uint32_t count, const char* document) {
  DOC_INFO_1A info{const_cast<char*>(document), nullptr, const_cast<char*>(kRawDatatype)};
  if (os::StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info)) == 0) return false;
  const bool printed = printPage(printer, data, count);
  const bool ended = os::EndDocPrinter(printer) != FALSE;
  return printed && ended;
}

// The file's length for progress reports; 0 when it cannot be told.
uint64_t fileLength(const char* path) {
  std::error_code error;
  const uintmax_t length = std::filesystem::file_size(os::hostPath(path), error);
  return error ? 0 : length;
}

}  // namespace

bool printRawJob(const char* queueName, const void* data, uint32_t count, const char* document) {
  // A null name would open the print server itself, not a queue.
  if (!queueName || (!data && count != 0)) return false;
  HANDLE opened = nullptr;
  if (!os::OpenPrinterA(const_cast<char*>(queueName), &opened, nullptr)) return false;
  // Closed on return, whatever the close gives: once the document has ended the spooler holds
  // the whole job, and a close that fails takes nothing from it.
  os::UniquePrinter printer(opened);
  return printDocument(printer.get(), data, count, document);
}

int printFileJobs(const char* path, const char* queueName) {
  os::UniqueFile file(path ? std::fopen(path, "rb") : nullptr);
  if (!file) return kPrintFileOpen;
  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kPrintJobChunk]);
  if (!chunk) return kPrintNoBuffer;
  const uint64_t total = fileLength(path);
  uint64_t sent = 0;
  prompt::reportSent(0, total);
  // The end is tested before each read, so a length that is a multiple of the chunk ends with
  // an empty job.
  while (!std::feof(file.get())) {
    const size_t read = std::fread(chunk.get(), 1, kPrintJobChunk, file.get());
    if (std::ferror(file.get())) return kPrintFileRead;
    if (!printRawJob(queueName, chunk.get(), static_cast<uint32_t>(read), path)) {
      return kPrintJobFailed;
    }
    sent += read;
    prompt::reportSent(sent, total);
  }
  return 0;
}

}  // namespace plotter
