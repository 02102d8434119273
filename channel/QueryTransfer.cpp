#include "channel/QueryTransfer.h"

#include "channel/RequestRecord.h"

namespace channel {

bool queryTransfer(TransferChannel* channel, const char* text, QueryReply* reply) {
  if (!isTransferChannel(channel)) return false;
  if (!reply || !reply->replyBuffer) return failTransfer(*channel, ERROR_INVALID_PARAMETER);
  UniqueTransferJob job = createTextJob(*channel, kQueryJob, text);
  if (!job) return false;
  job->replyBuffer = reply->replyBuffer;
  if (!runTransferJob(job.get())) {
    reply->replyBuffer[0] = '\0';
    reply->replyLength = 0;
    return false;
  }
  reply->replyLength = job->replyLength;
  return true;
}

}  // namespace channel
