#include "channel/TransferJob.h"

#include <new>

namespace channel {

TransferJob* createTransferJob(TransferChannel* channel, DWORD kind) {
  if (kind > kHighestJobKind || !isTransferChannel(channel)) return nullptr;
  TransferJob* job = new (std::nothrow) TransferJob;
  if (!job) return nullptr;
  job->kind = kind;
  job->channel = channel;
  os::CriticalSectionLock hold(channel->lock);
  job->older = channel->newestJob;
  if (channel->newestJob) channel->newestJob->newer = job;
  channel->newestJob = job;
  if (!channel->oldestJob) channel->oldestJob = job;
  ++channel->jobCount;
  return job;
}

void destroyTransferJob(TransferJob* job) {
  if (!job) return;
  TransferChannel& channel = *job->channel;
  {
    os::CriticalSectionLock hold(channel.lock);
    (job->newer ? job->newer->older : channel.newestJob) = job->older;
    (job->older ? job->older->newer : channel.oldestJob) = job->newer;
    --channel.jobCount;
  }
  // The request record goes with it, and for a file job the window's view, the mapping and the
  // file.
  delete job;
}

}  // namespace channel
