// A transfer channel: an open device of the USB library bound to the plotter interface's bulk IN,
// bulk OUT and interrupt pipes, with the list of the jobs that run on it. The channel owns the
// device, so the device cannot be closed while the pipes still need it.
#pragma once

#include <memory>

#include "channel/PipeSet.h"
#include "os/CriticalSection.h"
#include "usb/UsbHandles.h"

namespace channel {

struct TransferJob;

inline constexpr DWORD kTransferChannelTag = 108;
inline constexpr DWORD kDefaultChunkSize = 131072;
// What transferChannelError gives for a pointer that is not a channel.
inline constexpr DWORD kNotAChannel = static_cast<DWORD>(-1);

struct TransferChannel {
  DWORD tag = 0;  // kTransferChannelTag while the record is an open channel
  usb::UniqueUsbDevice device;  // closed as the record is freed, after the pipes
  PipeSet pipes;                // pipes.device is the device's handle
  // The live jobs, newest first; guarded by the lock.
  TransferJob* newestJob = nullptr;
  TransferJob* oldestJob = nullptr;
  DWORD jobCount = 0;
  os::CriticalSection lock;
  DWORD lastError = 0;  // 0, or the reason the last job or operation failed
  DWORD chunkSize = 0;  // block size of bulk writes

  TransferChannel() = default;
  TransferChannel(const TransferChannel&) = delete;
  TransferChannel& operator=(const TransferChannel&) = delete;
  // A channel freed while still open is closed first, so its pipes never outlive it; its device
  // is closed last.
  ~TransferChannel();
};

// Opens a channel on an open device (configuring it if needed), which the channel then owns:
// device is left empty. Null on failure, with the device still the caller's, no pipe left open
// and the failing library call's status as the thread's last error.
std::unique_ptr<TransferChannel> openTransferChannel(usb::UniqueUsbDevice& device);
// Tells the driver, closes the pipes and clears the tag; the device stays open until the owner
// frees the record. Does nothing for a pointer that is not an open channel.
void closeTransferChannel(TransferChannel* channel);
bool isTransferChannel(const TransferChannel* channel);
// -1 if not a channel; the last error if it is not 0; else the thread's last error.
DWORD transferChannelError(const TransferChannel* channel);
// False if not a channel or the size is 0 (a chunk must hold at least one byte).
bool setTransferChunkSize(TransferChannel* channel, DWORD size);

// Stores the reason for a failure in the channel's last error; returns false for the caller.
bool failTransfer(TransferChannel& channel, DWORD error);

}  // namespace channel
