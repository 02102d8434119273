#include "channel/CommandTransfer.h"

#include "channel/RequestRecord.h"

namespace channel {

bool commandTransfer(TransferChannel* channel, const char* text) {
  if (!isTransferChannel(channel)) return false;
  UniqueTransferJob job = createTextJob(*channel, kCommandJob, text);
  return job && runTransferJob(job.get());
}

bool announceChunkSize(TransferChannel* channel, DWORD value) {
  if (!isTransferChannel(channel)) return false;
  UniqueTransferJob job(createTransferJob(channel, kChunkSizeJob));
  DWORD error = job ? buildChunkSizeRequest(*job, value) : ERROR_NOT_ENOUGH_MEMORY;
  if (error != 0) return failTransfer(*channel, error);
  return runTransferJob(job.get());
}

}  // namespace channel
