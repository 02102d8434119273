#include "channel/ChannelPrimitives.h"

#include "os/Calls.h"
#include "os/Handles.h"
#include "prompt/Progress.h"

namespace channel {
namespace {

// The control record every request record travels with.
usb::UdrvControlRecord channelControlRecord() { return {0x0001, 0x01, 0x0000, 0x0000}; }

bool finish(DWORD status) {
  os::SetLastError(status);
  return status == 0;
}

// How long one transfer on a pipe may take: a status word or reply that the plotter owes, or a
// chunk that it must take. A plotter that stops answering must not hang the program.
constexpr DWORD kPipeTransferLimit = 30000;

// Waits for a transfer pending on the OVERLAPPED; one that does not end within the limit is
// cancelled and its end awaited, so that its buffer may go.
DWORD awaitTransfer(USB_PIPE_HANDLE pipe, OVERLAPPED& overlapped, DWORD& count) {
  DWORD status = USBWaitIO(pipe, &count, kPipeTransferLimit, &overlapped);
  if (status != USBERR_TIMEOUT) return status;
  USBCancelIO(pipe, &overlapped);
  USBWaitIO(pipe, &count, INFINITE, &overlapped);
  return USBERR_TIMEOUT;
}

// One transfer that start (USBReadPipe or USBWritePipe on the OVERLAPPED given) begins, ended
// within the limit; count is what it moved when it had to wait.
template <typename Start>
DWORD boundedTransfer(USB_PIPE_HANDLE pipe, DWORD& count, Start start) {
  os::UniqueHandle event(os::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event) return os::GetLastError();
  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD status = start(overlapped);
  if (status == USBERR_IO_PENDING) status = awaitTransfer(pipe, overlapped, count);
  return status;
}

// One read that must bring all it asks for.
DWORD readWhole(USB_PIPE_HANDLE pipe, BYTE* buffer, DWORD length) {
  DWORD read = length;
  DWORD status = boundedTransfer(pipe, read, [&](OVERLAPPED& overlapped) {
    return USBReadPipe(pipe, buffer, &read, &overlapped);
  });
  if (status == 0 && read != length) return ERROR_INVALID_DATA;
  return status;
}

DWORD writeWhole(USB_PIPE_HANDLE pipe, const BYTE* data, DWORD length) {
  DWORD written = 0;
  return boundedTransfer(pipe, written, [&](OVERLAPPED& overlapped) {
    return USBWritePipe(pipe, data, length, &overlapped);
  });
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
  return writeChannelStream(
      pipes,
      [bytes](DWORD offset, DWORD, const BYTE*& block) {
        block = bytes + offset;
        return DWORD{0};
      },
      total, chunk);
}

bool writeChannelStream(const PipeSet& pipes, const StreamSource& source, DWORD total,
                        DWORD chunk) {
  prompt::reportSent(0, total);
  return finish(inChunks(total, chunk, [&](DWORD offset, DWORD length) {
    const BYTE* block = nullptr;
    DWORD status = source(offset, length, block);
    if (status == 0) status = writeWhole(pipes.bulkOut, block, length);
    if (status == 0) prompt::reportSent(offset + length, total);
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
