// A transfer job: one request record sent by control request, the status word read back, and
// for some kinds a data phase on the bulk pipes. A job lives within one operation and, while it
// lives, in its channel's job list.
#pragma once

#include <memory>

#include "channel/FileWindow.h"
#include "channel/TransferChannel.h"
#include "os/Handles.h"

namespace channel {

// Job kinds; each is also the first byte of the kind's request record.
inline constexpr DWORD kFileJob = 2;
inline constexpr DWORD kQueryJob = 3;
inline constexpr DWORD kChunkSizeJob = 5;
inline constexpr DWORD kCommandJob = 6;
inline constexpr DWORD kHighestJobKind = 8;
// A nonzero status word shows in the channel's last error as this plus the word.
inline constexpr DWORD kDeviceStatusBase = 0xEF000000;

struct TransferJob {
  DWORD kind = 0;
  DWORD requestLength = 0;
  std::unique_ptr<BYTE[]> requestRecord;
  // File jobs: the file, its read-only mapping and the window of it being sent (none of the
  // last two for an empty file). Declared in this order so that the view goes first, the file
  // last.
  os::UniqueHandle file;
  os::UniqueHandle mapping;
  FileWindow window;
  // Query jobs: the reply's length and the caller's buffer for it.
  DWORD replyLength = 0;
  char* replyBuffer = nullptr;
  TransferChannel* channel = nullptr;
  // Neighbours in the channel's job list.
  TransferJob* newer = nullptr;
  TransferJob* older = nullptr;
};

// A new job of the kind in the channel's list; null for a kind above 8, a pointer that is not
// a channel, or no memory.
TransferJob* createTransferJob(TransferChannel* channel, DWORD kind);
// Takes the job out of its channel's list and releases all it holds; nothing for null.
void destroyTransferJob(TransferJob* job);
// Runs the job's transaction under the driver's device lock; the reason for a failure is left
// in the channel's last error.
bool runTransferJob(TransferJob* job);

struct TransferJobDestroyer {
  void operator()(TransferJob* job) const { destroyTransferJob(job); }
};
// A job destroyed at the end of the operation that made it, however the operation ends.
using UniqueTransferJob = std::unique_ptr<TransferJob, TransferJobDestroyer>;

}  // namespace channel
