// The escape command language on the printer's bulk pipes: one write, and a reply in two
// transfers, a header whose first 4 bytes give the payload length, then the payload. The write
// is overlapped and bounded by the command's wait as the reads are, so that a plotter that takes
// no data (cover open, buffer full, firmware hung) fails the command instead of blocking.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "os/Handles.h"
#include "plotter/CommandMethods.h"
#include "plotter/OverlappedWait.h"

namespace plotter {
namespace {

constexpr int kBulkOutPipe = 2;   // endpoint 0x02
constexpr int kBulkInPipe = 129;  // endpoint 0x81
constexpr DWORD kHeaderReadSize = 64;
constexpr DWORD kReplyBufferSize = 236;
// An argument makes the whole command at most this long.
constexpr int32_t kArgumentCommandLimit = 49;

HANDLE openPipe(std::string_view devicePath, int pipe, DWORD access, DWORD flags) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "\\PIPE%02d", pipe);
  std::string path = std::string(devicePath) + suffix;
  return os::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, flags, nullptr);
}

// What the row sends: its counted bytes, or its text followed by the argument.
std::string commandBytes(const CommandEntry& entry, const std::string& argument) {
  if (!entry.appendsArgument) {
    size_t count = std::clamp<int32_t>(entry.length, 0, sizeof entry.bytes);
    return std::string(entry.bytes, count);
  }
  std::string bytes(entry.bytes, strnlen(entry.bytes, sizeof entry.bytes));
  size_t room = std::max<int32_t>(kArgumentCommandLimit - entry.length, 0);
  bytes.append(std::string_view(argument.c_str()).substr(0, room));
  return bytes;
}

// A write that fails, falls short or does not end within the wait (it is cancelled then)
// counts as failed: a command that never reached the plotter must not be reported as done.
bool writeCommand(HANDLE out, HANDLE event, const CommandEntry& entry, const std::string& argument,
                  DWORD waitTime) {
  std::string bytes = commandBytes(entry, argument);
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  DWORD written = 0;
  BOOL wrote =
      os::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &overlapped);
  return requestEnd(out, overlapped, wrote, written, waitTime) == bytes.size();
}

std::optional<DWORD> readPipe(HANDLE in, HANDLE event, void* buffer, DWORD size, DWORD waitTime) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  BOOL started = os::ReadFile(in, buffer, size, nullptr, &overlapped);
  return awaitOverlapped(in, overlapped, started, waitTime);
}

DWORD littleEndian32(const BYTE* bytes) {
  return DWORD{bytes[0]} | DWORD{bytes[1]} << 8 | DWORD{bytes[2]} << 16 | DWORD{bytes[3]} << 24;
}

// The announced length comes from the plotter: one that does not fit the reply buffer is
// refused rather than read in part.
bool readReply(HANDLE in, HANDLE event, DWORD waitTime, std::string& text) {
  BYTE header[kHeaderReadSize] = {};
  std::optional<DWORD> received = readPipe(in, event, header, sizeof header, waitTime);
  if (!received || *received < 4) return false;
  DWORD announced = littleEndian32(header);
  if (announced == 0 || announced > kReplyBufferSize) return false;
  char reply[kReplyBufferSize];
  if (readPipe(in, event, reply, announced, waitTime) != announced) return false;
  text.assign(reply, announced);
  return true;
}

}  // namespace

// The one manual-reset event serves the write and then the reads, one after the other.
bool runPipeExchange(const CommandEntry& entry, std::string_view devicePath, std::string& text) {
  os::UniqueHandle out(
      openPipe(devicePath, kBulkOutPipe, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED));
  os::UniqueHandle in(openPipe(devicePath, kBulkInPipe, GENERIC_READ, FILE_FLAG_OVERLAPPED));
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!out || !event) return false;
  DWORD waitTime = entry.code == kDummyCommand ? kDummyReplyWaitTime : kCommandWaitTime;
  if (!writeCommand(out.get(), event.get(), entry, text, waitTime)) return false;
  if (!entry.expectsReply) return true;
  if (!in) return false;
  return readReply(in.get(), event.get(), waitTime, text);
}

}  // namespace plotter
