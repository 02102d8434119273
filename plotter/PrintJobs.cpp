#include "plotter/PrintJobs.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

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

// Starts a RAW document, prints the page and ends the document again if it was started: the
// job's ID when all of it succeeded.
std::optional<DWORD> printDocument(HANDLE printer, const void* data, uint32_t count,
                                   const char* document) {
  DOC_INFO_1A info{const_cast<char*>(document), nullptr, const_cast<char*>(kRawDatatype)};
  const DWORD jobId = os::StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info));
  if (jobId == 0) return std::nullopt;
  const bool printed = printPage(printer, data, count);
  const bool ended = os::EndDocPrinter(printer) != FALSE;
  if (!printed || !ended) return std::nullopt;
  return jobId;
}

// The file's length for progress reports; 0 when it cannot be told.
uint64_t fileLength(const char* path) {
  std::error_code error;
  const uintmax_t length = std::filesystem::file_size(os::hostPath(path), error);
  return error ? 0 : length;
}

}  // namespace

os::UniquePrinter openPrintQueue(const char* queueName) {
  if (!queueName) {
    os::SetLastError(ERROR_INVALID_PRINTER_NAME);
    return {};
  }
  HANDLE opened = nullptr;
  if (!os::OpenPrinterA(const_cast<char*>(queueName), &opened, nullptr)) return {};
  return os::UniquePrinter(opened);
}

std::optional<DWORD> printRawJob(const char* queueName, const void* data, uint32_t count,
                                 const char* document) {
  if (!data && count != 0) return std::nullopt;
  // Closed on return, whatever the close gives: once the document has ended the spooler holds
  // the whole job, and a close that fails takes nothing from it.
  os::UniquePrinter printer = openPrintQueue(queueName);
  if (!printer) return std::nullopt;
  return printDocument(printer.get(), data, count, document);
}

SendOutcome printFileJobs(const char* path, const char* queueName) {
  os::UniqueFile file(path ? std::fopen(path, "rb") : nullptr);
  if (!file) return {kPrintFileOpen};
  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kPrintJobChunk]);
  if (!chunk) return {kPrintNoBuffer};
  const uint64_t total = fileLength(path);
  uint64_t sent = 0;
  std::vector<DWORD> jobIds;
  prompt::reportSent(0, total);
  // The end is tested before each read, so a length that is a multiple of the chunk ends with
  // an empty job.
  while (!std::feof(file.get())) {
    const size_t read = std::fread(chunk.get(), 1, kPrintJobChunk, file.get());
    if (std::ferror(file.get())) return {kPrintFileRead};
    const std::optional<DWORD> jobId =
        printRawJob(queueName, chunk.get(), static_cast<uint32_t>(read), path);
    if (!jobId) return {kPrintJobFailed};
    jobIds.push_back(*jobId);
    sent += read;
    prompt::reportSent(sent, total);
  }
  file.reset();
  chunk.reset();
  std::optional<SpoolerFault> held = followPrintJobs(queueName, jobIds);
  return {held ? kPrintJobFailed : 0, std::move(held)};
}

}  // namespace plotter
