// The transaction that runs a transfer job: device lock, request, status word, data phase,
// release.
#include "channel/ChannelPrimitives.h"
#include "channel/QueryTransfer.h"
#include "channel/RequestRecord.h"
#include "os/Calls.h"
#include "prompt/Progress.h"

namespace channel {
namespace {

// Reply reads ask for their whole block at once.
constexpr DWORD kReplyChunk = 0x07FFFFFF;

// Sends the request record; a time-out is answered by one device reset and one resend, and
// stays the reason if either of those fails.
DWORD sendRequest(TransferJob& job) {
  const PipeSet& pipes = job.channel->pipes;
  if (sendChannelRequest(pipes, job.requestRecord.get(), job.requestLength)) return 0;
  DWORD error = os::GetLastError();
  if (error != USBERR_TIMEOUT) return error;
  if (USBResetDevice(pipes.device, nullptr) != 0) return USBERR_TIMEOUT;
  if (!sendChannelRequest(pipes, job.requestRecord.get(), job.requestLength)) {
    return USBERR_TIMEOUT;
  }
  return 0;
}

// The device's answer to the request: 0, the device status code, or why it could not be read.
DWORD readStatus(const PipeSet& pipes) {
  WORD word = 0;
  if (!readChannelStatus(pipes, word)) return os::GetLastError();
  return word == 0 ? 0 : kDeviceStatusBase | word;
}

// File jobs: the file's bytes in chunks of the channel's chunk size, each from the window that
// holds the whole chunk.
bool sendFileData(TransferJob& job) {
  const DWORD total = requestFileSize(job);
  if (total == 0) {
    prompt::reportSent(0, 0);  // nothing to stream; a listener still sees the file begin
    return true;
  }
  const StreamSource fromWindow = [&job, total](DWORD offset, DWORD length, const BYTE*& block) {
    DWORD error = job.window.cover(job.mapping.get(), total, offset, length);
    if (error == 0) block = job.window.at(offset);
    return error;
  };
  return writeChannelStream(job.channel->pipes, fromWindow, total, job.channel->chunkSize);
}

// Query jobs: a 32-bit length, then that many bytes into the caller's buffer.
bool readReply(TransferJob& job) {
  const PipeSet& pipes = job.channel->pipes;
  job.replyLength = 0;
  BYTE lengthBytes[4] = {};
  if (!readChannelStream(pipes, lengthBytes, sizeof lengthBytes, kReplyChunk)) return false;
  DWORD length = dwordAt(lengthBytes);
  if (length == 0) return true;
  if (length > kMaxReplyLength) {
    // A reply that cannot be right; say so rather than leave no reason.
    os::SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  if (!readChannelStream(pipes, job.replyBuffer, length, kReplyChunk)) return false;
  job.replyLength = length;
  return true;
}

bool runDataPhase(TransferJob& job) {
  switch (job.kind) {
    case kFileJob:
      return sendFileData(job);
    case kQueryJob:
      return readReply(job);
    default:
      return true;  // chunk size and command jobs have none
  }
}

// Request, status word and data phase, under the device lock; 0 or the reason for a failure.
DWORD runLockedPhases(TransferJob& job) {
  DWORD error = sendRequest(job);
  if (error == 0) error = readStatus(job.channel->pipes);
  if (error == 0 && !runDataPhase(job)) error = os::GetLastError();
  return error;
}

}  // namespace

bool runTransferJob(TransferJob* job) {
  if (!job || !isTransferChannel(job->channel)) return false;
  TransferChannel& channel = *job->channel;
  channel.lastError = 0;
  DWORD error = USBLockDevice(channel.pipes.device, usb::UDRV_LOCK_TAKE);
  if (error == 0) error = runLockedPhases(*job);
  channel.lastError = error;
  // Released also when taking it failed.
  USBLockDevice(channel.pipes.device, usb::UDRV_LOCK_RELEASE);
  return error == 0;
}

}  // namespace channel
