#include "channel/ChannelPrimitives.h"

#include "channel/TransferProgress.h"
#include "os/Calls.h"
#include "os/Handles.h"

namespace channel {
namespace {

// The control record every request record travels with.
usb::UdrvControlRecord channelControlRecord() { return {0x0001, 0x01, 0x0000, 0x0000}; }

bool finish(DWORD status) {
  os::SetLastError(status);
  return status == 0;
}

// How long a read waits for what the plotter owes (a status word, a reply) before it gives up:
// a plotter that never sends it must not hang the program.
constexpr DWORD kChannelReadLimit = 30000;

// Waits for a read that is pending on the OVERLAPPED; one that does not end within the limit is
// cancelled and its end awaited, so that its buffer may go.
DWORD awaitRead(USB_PIPE_HANDLE pipe, OVERLAPPED& overlapped, DWORD& read) {
  DWORD status = USBWaitIO(pipe, &read, kChannelReadLimit, &overlapped);
  if (status != USBERR_TIMEOUT) return status;
  USBCancelIO(pipe, &overlapped);
  USBWaitIO(pipe, &read, INFINITE, &overlapped);
  return USBERR_TIMEOUT;
}

// One read that must bring all it asks for within the limit.
DWORD readWhole(USB_PIPE_HANDLE pipe, BYTE* buffer, DWORD length) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event) return os::GetLastError();
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD read = length;
  DWORD status = USBReadPipe(pipe, buffer, &read, &overlapped);
  if (status == USBERR_IO_PENDING) status = awaitRead(pipe, overlapped, read);
  if (status == 0 && read != length) return ERROR_INVALID_DATA;
  return status;
}

// Moves total bytes as total / chunk full chunks and then the remainder, one block at a time;
// the first failing block ends it. Returns the status of the last block (0 if none).
template <typename MoveBlock>
DWORD inChunks(DWORD total, DWORD chunk, MoveBlock moveBlock) {
  if (chunk == 0) return ERROR_INVALID_PARAMETER;
  DWORD status = 0;
  DWORD offset = 0;
  for (DWORD left = total / chunk; left > 0 && status == 0; --left, offset += chunk) {
    status = moveBlock(offset, chunk);
  }
  if (status == 0 && total % chunk != 0) status = moveBlock(offset, total % chunk);
  return status;
}

}  // namespace

bool sendChannelRequest(const PipeSet& pipes, BYTE* record, DWORD length) {
  const usb::UdrvControlRecord control = channelControlRecord();
  return finish(USBClassOrVendorRequest(pipes.device, &control, record, length, nullptr));
}

bool readChannelStatus(const PipeSet& pipes, WORD& word) {
  BYTE bytes[2] = {};
  DWORD status = readWhole(pipes.interrupt, bytes, sizeof bytes);
  word = static_cast<WORD>(bytes[0] | bytes[1] << 8);
  return finish(status);
}

bool writeChannelStream(const PipeSet& pipes, const void* data, DWORD total, DWORD chunk) {
  if (data == nullptr) return finish(ERROR_INVALID_PARAMETER);
  const BYTE* bytes = static_cast<const BYTE*>(data);
  reportTransferProgress(0, total);
  return finish(inChunks(total, chunk, [&](DWORD offset, DWORD length) {
    DWORD status = USBWritePipe(pipes.bulkOut, bytes + offset, length, nullptr);
    if (status == 0) reportTransferProgress(offset + length, total);
    return status;
  }));
}

bool readChannelStream(const PipeSet& pipes, void* buffer, DWORD total, DWORD chunk) {
  if (buffer == nullptr) return finish(ERROR_INVALID_PARAMETER);
  BYTE* bytes = static_cast<BYTE*>(buffer);
  return finish(inChunks(total, chunk, [&](DWORD offset, DWORD length) {
    return readWhole(pipes.bulkIn, bytes + offset, length);
  }));
}

}  // namespace channel
