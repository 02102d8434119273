#include "sim/PrintClassFace.h"

#include <algorithm>
#include <optional>

#include "os/sim/CaseInsensitive.h"
#include "sim/FaceEndpoint.h"
#include "sim/PlotterReplies.h"
#include "sim/VirtualPlotter.h"
#include "usb/UsbPrintClass.h"

namespace sim {
namespace {

using os::sim::IoCompletion;
using os::sim::IoOutcome;
using os::sim::IoRequest;
using Kind = PrinterEvent::Kind;
using Target = PrintClassFace::Target;

constexpr IoOutcome kInvalid{ERROR_INVALID_PARAMETER, 0};
constexpr IoOutcome kNotAnswered{ERROR_GEN_FAILURE, 0};
constexpr char kEscape = 0x1B;
// The RAW job that enters the download state: ESC ".DL".
constexpr BYTE kDownloadJob[] = {0x1B, 0x2E, 0x44, 0x4C};

// A bulk IN read in flight. The machine holds it with the request and drops it when the request
// ends, so a read that ends without delivering (cancelled, its handle closed, the plotter gone)
// is logged as read:0 then.
class ReadNote {
 public:
  explicit ReadNote(std::shared_ptr<PrintClassFace> face) : face_(std::move(face)) {}
  ~ReadNote() {
    if (!logged_) face_->logRead(0);
  }
  ReadNote(const ReadNote&) = delete;
  ReadNote& operator=(const ReadNote&) = delete;
  void delivered(DWORD count) {
    face_->logRead(count);
    logged_ = true;
  }

 private:
  std::shared_ptr<PrintClassFace> face_;
  bool logged_ = false;
};

// Every input byte of a request, as the log keeps them.
std::string inputBytes(const IoRequest& request) {
  if (!request.input) return {};
  return std::string(reinterpret_cast<const char*>(request.input), request.inputLength);
}

// A request's bytes up to the first zero byte, as the vendor requests carry their letters.
std::string letters(const IoRequest& request) {
  std::string bytes = inputBytes(request);
  return bytes.substr(0, bytes.find('\0'));
}

// The query text of a command's letters: the fixtures query is "4;" in full.
std::string queryText(const std::string& letters) { return letters == "4" ? "4;" : letters; }

// The serial number a "S<text>:" command sets.
std::optional<std::string> serialToSet(const std::string& letters) {
  if (letters.size() < 3 || letters.front() != 'S' || letters.back() != ':') return std::nullopt;
  return letters.substr(1, letters.size() - 2);
}

}  // namespace

std::unique_ptr<os::sim::DeviceEndpoint> PrintClassFace::open(const std::string& subPath, DWORD) {
  if (!plotter_) return nullptr;
  Target target;
  if (subPath.empty()) {
    target = Target::Device;
  } else if (os::sim::equalsIgnoringCase(subPath, "PIPE02")) {
    target = Target::OutPipe;
  } else if (os::sim::equalsIgnoringCase(subPath, "PIPE129")) {
    target = Target::InPipe;
  } else {
    return nullptr;
  }
  return std::make_unique<FaceEndpoint<PrintClassFace, Target>>(shared_from_this(), target);
}

IoCompletion PrintClassFace::submit(Target target, const IoRequest& request) {
  if (!plotter_) return IoCompletion::now({ERROR_DEVICE_NOT_CONNECTED, 0});
  using RequestKind = IoRequest::Kind;
  if (target == Target::Device && request.kind == RequestKind::Control) {
    return deviceRequest(request);
  }
  if (target == Target::OutPipe && request.kind == RequestKind::Write) return write(request);
  if (target == Target::InPipe && request.kind == RequestKind::Read) return read(request);
  return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
}

IoCompletion PrintClassFace::deviceRequest(const IoRequest& request) {
  switch (request.code) {
    case usb::IOCTL_USBPRINT_GET_LPT_STATUS:
      return lptStatus(request);
    case usb::IOCTL_USBPRINT_VENDOR_GET_COMMAND:
      return vendorGet(request);
    case usb::IOCTL_USBPRINT_VENDOR_SET_COMMAND:
      return vendorSet(request);
    default:
      return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
  }
}

// A switched-off plotter still has its port; it takes the bytes and does nothing with them.
IoCompletion PrintClassFace::write(const IoRequest& request) {
  if (!request.input && request.inputLength > 0) return IoCompletion::now(kInvalid);
  std::string bytes(reinterpret_cast<const char*>(request.input), request.inputLength);
  if (plotter_->misbehaviour.refusesData) return refuse({Kind::PipeWrite, 0, bytes});
  plotter_->printerLog().add({Kind::PipeWrite, 0, bytes});
  if (!plotter_->misbehaviour.switchedOff) command(bytes);
  return IoCompletion::now({ERROR_SUCCESS, request.inputLength});
}

void PrintClassFace::command(const std::string& bytes) {
  if (bytes.size() < 2 || bytes[0] != kEscape || bytes[1] != '.') return;
  std::string letters = bytes.substr(2);
  PlotterState& state = plotter_->state;
  if (letters == "0") return;  // the dummy command never answers: draining relies on it
  if (letters == "K") {
    reset();
  } else if (letters == "DL") {
    if (!stream_) enterDownloadState();
  } else if (answersQuery(state, queryText(letters))) {
    if (!plotter_->misbehaviour.silent) queueReply(plotter_->answer(queryText(letters)));
  } else if (std::optional<std::string> serial = serialToSet(letters)) {
    state.serialNumber = *serial;
  }
}

void PrintClassFace::reset() {
  transfers_.clear();
  Plots& plots = plotter_->plotDesk();
  if (plots.abort(plotter_->now())) {
    plots.end();  // a job after it begins a file of its own, whatever its name
    plotter_->printerLog().add({Kind::Abort, 0, {}});
  }
}

void PrintClassFace::enterDownloadState() {
  stream_.emplace();
  plotter_->plotDesk().end();
}

// ESC ".DL" is the command only until a stream has begun; within one it is the stream's bytes.
void PrintClassFace::printJob(const std::string& document, std::span<const BYTE> data) {
  std::shared_ptr<PrintClassFace> self = shared_from_this();  // an accepted update detaches it
  if (data.empty() || plotter_->misbehaviour.switchedOff) return;
  if (std::ranges::equal(data, kDownloadJob) && !(stream_ && stream_->started())) {
    if (!stream_) enterDownloadState();
    return;
  }
  size_t taken = takeStream(data);
  if (plotter_ && taken < data.size()) {
    plotter_->plotDesk().add(document, data.data() + taken, data.size() - taken, plotter_->now());
  }
}

// The bytes the stream took; the plotter has taken the stream when it is complete.
size_t PrintClassFace::takeStream(std::span<const BYTE> data) {
  if (!stream_) return 0;
  size_t taken = stream_->take(data.data(), data.size());
  if (stream_->outcome()) {
    UpdateStreamCheck check = *stream_->outcome();
    stream_.reset();
    plotter_->takeUpdate(check);
  }
  return taken;
}

void PrintClassFace::queueReply(const std::string& reply) {
  transfers_.queueReply(reply, plotter_->misbehaviour);
}

// With nothing queued (or a switched-off plotter) the read waits for a cancel; the request
// keeps the note until then. A reply queued meanwhile does not end it.
IoCompletion PrintClassFace::read(const IoRequest& request) {
  auto note = std::make_shared<ReadNote>(shared_from_this());
  if (!request.output && request.outputLength > 0) return IoCompletion::now(kInvalid);
  if (transfers_.empty() || plotter_->misbehaviour.switchedOff) {
    IoCompletion pending = IoCompletion::never();
    pending.finish = [note] { return IoOutcome{ERROR_OPERATION_ABORTED, 0}; };
    return pending;
  }
  return later(
      [self = shared_from_this(), note, buffer = request.output, length = request.outputLength] {
        IoOutcome outcome = self->transfers_.take(buffer, length);
        note->delivered(outcome.bytes);
        return outcome;
      });
}

bool PrintClassFace::replyWaiting() const {
  return plotter_ && !transfers_.empty() && !plotter_->misbehaviour.switchedOff;
}

void PrintClassFace::logRead(DWORD count) {
  if (plotter_) plotter_->printerLog().add({Kind::PipeRead, count, {}});
}

IoCompletion PrintClassFace::lptStatus(const IoRequest& request) {
  if (plotter_->misbehaviour.refusesData) return refuse({Kind::LptStatus, 0, {}});
  IoOutcome outcome{ERROR_SUCCESS, 1};
  if (plotter_->misbehaviour.switchedOff) {
    outcome = kNotAnswered;
  } else if (!request.output || request.outputLength < 1) {
    outcome = {ERROR_INSUFFICIENT_BUFFER, 0};
  } else {
    request.output[0] = kLptStatusOnLine;
  }
  bool answered = outcome.error == ERROR_SUCCESS;
  plotter_->printerLog().add({answered ? Kind::LptStatus : Kind::LptStatusFailed, 0, {}});
  return IoCompletion::now(outcome);
}

IoCompletion PrintClassFace::vendorGet(const IoRequest& request) {
  std::string query = letters(request);
  PrinterEvent event{Kind::VendorGet, 0, inputBytes(request)};
  if (plotter_->misbehaviour.refusesData) return refuse(std::move(event));
  plotter_->printerLog().add(std::move(event));
  const Misbehaviour& m = plotter_->misbehaviour;
  if (m.switchedOff || m.silent) return IoCompletion::now(kNotAnswered);
  if (!request.output && request.outputLength > 0) return IoCompletion::now(kInvalid);
  std::string reply = plotter_->answer(queryText(query));
  return later([reply, buffer = request.output, length = request.outputLength] {
    DWORD count = DWORD(std::min<size_t>(length, reply.size()));
    std::copy_n(reply.begin(), count, buffer);
    return IoOutcome{ERROR_SUCCESS, count};
  });
}

IoCompletion PrintClassFace::vendorSet(const IoRequest& request) {
  std::string bytes = letters(request);
  PrinterEvent event{Kind::VendorSet, 0, inputBytes(request)};
  if (plotter_->misbehaviour.refusesData) return refuse(std::move(event));
  plotter_->printerLog().add(std::move(event));
  const Misbehaviour& m = plotter_->misbehaviour;
  if (m.switchedOff || m.silent) return IoCompletion::now(kNotAnswered);
  if (bytes == "K") reset();
  return later([] { return IoOutcome{ERROR_SUCCESS, 0}; });
}

// A plotter that takes no data leaves the request pending until it is cancelled (CancelIo or
// CloseHandle end it with ERROR_OPERATION_ABORTED), as a real device's NAKs leave it.
IoCompletion PrintClassFace::refuse(PrinterEvent event) {
  event.refused = true;
  plotter_->printerLog().add(std::move(event));
  return IoCompletion::never();
}

// Replies and vendor requests come as late as the plotter was told to be.
IoCompletion PrintClassFace::later(std::function<IoOutcome()> finish) const {
  os::sim::Tick delay = plotter_->misbehaviour.replyDelay;
  return delay == 0 ? IoCompletion::now(finish()) : IoCompletion::after(delay, std::move(finish));
}

}  // namespace sim
