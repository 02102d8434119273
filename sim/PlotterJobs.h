// The transfer protocol as a plotter speaks it on the vendor-driver connection: request records
// arrive by control request, each answered by a 2-byte status word on the interrupt pipe; a file
// request (0x02 plot data, 0x08 firmware update) is followed by the file's bytes on the bulk OUT
// pipe, a query (0x03) by its reply on the bulk IN pipe (32-bit length, then the bytes); a chunk
// size announcement (0x05) and a command (0x06) have no data phase. Plot data goes to the
// plotter's plots (sim/Plots.h), an update stream to its update check; the command " " (the
// link abort) ends the plot in progress.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "os/Win32.h"
#include "os/sim/SimDevice.h"
#include "sim/BulkInQueue.h"
#include "sim/UpdateStreamCheck.h"
#include "sim/WordChecksum.h"

namespace sim {

class VirtualPlotter;

// Request codes, the first byte of a request record.
inline constexpr BYTE kPlotFileRequest = 0x02;
inline constexpr BYTE kQueryRequest = 0x03;
inline constexpr BYTE kChunkSizeRequest = 0x05;
inline constexpr BYTE kCommandRequest = 0x06;
inline constexpr BYTE kFirmwareUpdateRequest = 0x08;
// The status word for a request record the plotter cannot make sense of.
inline constexpr WORD kBadRequestWord = 0x00FF;

// A file as it arrived on the bulk OUT pipe.
struct ReceivedFile {
  BYTE code = 0;  // kPlotFileRequest or kFirmwareUpdateRequest
  std::string name;
  DWORD size = 0;  // announced in the request
  DWORD received = 0;
  std::vector<DWORD> chunks;  // the size of every write
  uint32_t checksum = 0;      // WordChecksum of the bytes received
  // An update stream whole; of plot data, when asked, the first kKeptPlotBytes (sim/Plots.h).
  std::vector<BYTE> bytes;
  bool complete() const { return received == size; }
};

class PlotterJobs {
 public:
  explicit PlotterJobs(VirtualPlotter& plotter) : plotter_(plotter) {}

  // --- The driver face's calls ----------------------------------------------------------------
  os::sim::IoCompletion takeRequest(const BYTE* record, DWORD length);
  os::sim::IoCompletion readStatus(BYTE* buffer, DWORD length);
  os::sim::IoCompletion readReply(BYTE* buffer, DWORD length);
  os::sim::IoCompletion takeData(const BYTE* data, DWORD length);
  // Whether a read of the interrupt pipe or of the bulk IN pipe would end now.
  bool statusWaiting() const { return !statusWords_.empty(); }
  bool replyWaiting() const { return !replies_.empty(); }
  // A device reset drops what the plotter had queued and any file half received.
  void reset();

  void queueReply(const std::string& reply);
  void keepReceivedBytes(bool keep) { keepBytes_ = keep; }

  // --- What arrived ---------------------------------------------------------------------------
  DWORD announcedChunkSize() const { return chunkSize_; }
  const std::vector<ReceivedFile>& files() const { return files_; }
  const std::vector<std::string>& queries() const { return queries_; }
  void clearQueries() { queries_.clear(); }
  const std::vector<std::string>& commands() const { return commands_; }
  // Bulk OUT bytes that came with no file request to carry them.
  uint64_t strayBytes() const { return strayBytes_; }

 private:
  bool timesOut();
  WORD statusWordFor(BYTE code) const;
  bool startJob(const BYTE* record, DWORD length);
  bool startFile(const BYTE* record, DWORD length);
  os::sim::IoOutcome takeChunk(ReceivedFile& file, const BYTE* data, DWORD length);
  void receive(ReceivedFile& file, const BYTE* data, DWORD length);
  size_t bytesToKeep(const ReceivedFile& file, DWORD taken) const;
  void finishFile(ReceivedFile& file);
  void command(const std::string& text);

  VirtualPlotter& plotter_;
  std::deque<WORD> statusWords_;
  BulkInQueue replies_;
  std::optional<size_t> receiving_;  // index into files_ of the file whose bytes are due
  bool keepBytes_ = false;
  WordChecksum running_;
  DWORD chunkSize_ = 0;
  std::vector<ReceivedFile> files_;
  std::vector<std::string> queries_;
  std::vector<std::string> commands_;
  uint64_t strayBytes_ = 0;
};

}  // namespace sim
