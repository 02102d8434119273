#include "sim/PlotterJobs.h"

#include <algorithm>
#include <cstring>

#include "sim/VirtualPlotter.h"
#include "usb/UsbApi.h"

namespace sim {
namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;

DWORD readLe32(const BYTE* bytes) {
  return DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
}

// The text of a query or command record: code, length byte n, n bytes.
std::optional<std::string> recordText(const BYTE* record, DWORD length) {
  if (length < 2 || length != 2u + record[1]) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(record + 2), record[1]);
}

}  // namespace

bool PlotterJobs::timesOut() {
  if (plotter_.misbehaviour.silent) return true;
  int& left = plotter_.misbehaviour.controlTimeouts;
  if (left == 0) return false;
  if (left > 0) --left;
  return true;
}

WORD PlotterJobs::statusWordFor(BYTE code) const {
  const Misbehaviour& m = plotter_.misbehaviour;
  if (m.statusWordFor && *m.statusWordFor != code) return 0;
  return m.statusWord;
}

IoCompletion PlotterJobs::takeRequest(const BYTE* record, DWORD length) {
  std::vector<BYTE> bytes(record, record + length);
  if (timesOut()) {
    plotter_.log().add({DriverEvent::Kind::RequestTimedOut, 0, std::move(bytes)});
    return IoCompletion::after(plotter_.misbehaviour.timeoutDelay, [] {
      return IoOutcome{USBERR_TIMEOUT, 0};
    });
  }
  plotter_.log().add({DriverEvent::Kind::Request, 0, std::move(bytes)});
  WORD word = length == 0 ? kBadRequestWord : statusWordFor(record[0]);
  if (word == 0 && !startJob(record, length)) word = kBadRequestWord;
  statusWords_.push_back(word);
  return IoCompletion::now({ERROR_SUCCESS, length});
}

// Takes the job a well-formed record asks for; false for a record the plotter cannot read.
bool PlotterJobs::startJob(const BYTE* record, DWORD length) {
  switch (record[0]) {
    case kChunkSizeRequest:
      if (length != 5) return false;
      chunkSize_ = readLe32(record + 1);
      return true;
    case kPlotFileRequest:
    case kFirmwareUpdateRequest:
      return startFile(record, length);
    case kQueryRequest:
    case kCommandRequest: {
      std::optional<std::string> text = recordText(record, length);
      if (!text) return false;
      if (record[0] == kCommandRequest) {
        command(*text);
      } else {
        queries_.push_back(*text);
        queueReply(plotter_.answer(*text));
      }
      return true;
    }
    default:
      return false;
  }
}

bool PlotterJobs::startFile(const BYTE* record, DWORD length) {
  if (length < 6 || length != 6u + record[5]) return false;
  ReceivedFile file;
  file.code = record[0];
  file.size = readLe32(record + 1);
  file.name.assign(reinterpret_cast<const char*>(record + 6), record[5]);
  if (file.code == kPlotFileRequest) plotter_.plotDesk().begin(file.name);
  files_.push_back(std::move(file));
  running_ = WordChecksum();
  receiving_ = files_.size() - 1;
  if (files_.back().size == 0) finishFile(files_.back());
  return true;
}

void PlotterJobs::queueReply(const std::string& reply) {
  replies_.queueReply(reply, plotter_.misbehaviour);
}

IoCompletion PlotterJobs::readStatus(BYTE* buffer, DWORD length) {
  // An interrupt pipe with nothing to say stays silent.
  if (statusWords_.empty()) return IoCompletion::never();
  if (length < 2) return IoCompletion::now({ERROR_INVALID_PARAMETER, 0});
  WORD word = statusWords_.front();
  statusWords_.pop_front();
  buffer[0] = BYTE(word);
  buffer[1] = BYTE(word >> 8);
  plotter_.log().add({DriverEvent::Kind::StatusRead, word, {}});
  return IoCompletion::now({ERROR_SUCCESS, 2});
}

IoCompletion PlotterJobs::readReply(BYTE* buffer, DWORD length) {
  if (replies_.empty()) return IoCompletion::never();
  auto deliver = [this, buffer, length] {
    IoOutcome outcome = replies_.take(buffer, length);
    plotter_.log().add({DriverEvent::Kind::ReplyRead, outcome.bytes, {}});
    return outcome;
  };
  os::sim::Tick delay = plotter_.misbehaviour.replyDelay;
  return delay == 0 ? IoCompletion::now(deliver()) : IoCompletion::after(delay, deliver);
}

IoCompletion PlotterJobs::takeData(const BYTE* data, DWORD length) {
  if (!receiving_) {
    plotter_.log().add({DriverEvent::Kind::DataWritten, length, {}});
    strayBytes_ += length;
    return IoCompletion::now({ERROR_SUCCESS, length});
  }
  ReceivedFile& file = files_[*receiving_];
  if (plotter_.misbehaviour.vanishAtChunk == file.chunks.size()) {
    receiving_.reset();
    plotter_.unplug();
    return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  }
  const os::sim::Tick delay = plotter_.misbehaviour.chunkDelay;
  if (delay == 0) return IoCompletion::now(takeChunk(file, data, length));
  // A slow plotter takes the chunk when its time has come; the caller's buffer is its own again
  // once the write was submitted.
  return IoCompletion::after(
      delay, [this, index = *receiving_, chunk = std::vector<BYTE>(data, data + length)] {
        return takeChunk(files_[index], chunk.data(), static_cast<DWORD>(chunk.size()));
      });
}

os::sim::IoOutcome PlotterJobs::takeChunk(ReceivedFile& file, const BYTE* data, DWORD length) {
  plotter_.log().add({DriverEvent::Kind::DataWritten, length, {}});
  receive(file, data, length);
  if (file.received >= file.size) finishFile(file);
  return {ERROR_SUCCESS, length};
}

void PlotterJobs::receive(ReceivedFile& file, const BYTE* data, DWORD length) {
  file.chunks.push_back(length);
  DWORD taken = std::min(length, file.size - file.received);
  strayBytes_ += length - taken;
  bool update = file.code == kFirmwareUpdateRequest;
  file.bytes.insert(file.bytes.end(), data, data + bytesToKeep(file, taken));
  // Plot data is summed once, by the plotter's plots.
  if (update) {
    running_.add(data, taken);
    file.checksum = running_.value();
  } else {
    file.checksum = plotter_.plotDesk().add(file.name, data, taken, plotter_.now());
  }
  file.received += taken;
}

// Of the bytes just taken: all of an update stream the plotter can check, and of plot data,
// when asked, those still within the kept start.
size_t PlotterJobs::bytesToKeep(const ReceivedFile& file, DWORD taken) const {
  if (file.code == kFirmwareUpdateRequest) return file.size <= kLargestUpdateStream ? taken : 0;
  if (!keepBytes_) return 0;
  return std::min<size_t>(taken, kKeptPlotBytes - std::min(kKeptPlotBytes, file.bytes.size()));
}

// Firmware checks the whole stream before it takes anything from it.
void PlotterJobs::finishFile(ReceivedFile& file) {
  receiving_.reset();
  if (file.code != kFirmwareUpdateRequest) return;
  plotter_.takeUpdate(file.bytes.size() == file.size
                          ? checkUpdateStream(file.bytes.data(), file.bytes.size())
                          : UpdateStreamCheck{false, "byte count", {}, 0, 0, 0});
}

// The link abort is the command of a single blank: it ends the plot in progress.
void PlotterJobs::command(const std::string& text) {
  commands_.push_back(text);
  if (text == " " && plotter_.plotDesk().abort(plotter_.now())) {
    plotter_.log().add({DriverEvent::Kind::Abort, 0, {}});
  }
}

void PlotterJobs::reset() {
  statusWords_.clear();
  replies_.clear();
  receiving_.reset();
}

}  // namespace sim
