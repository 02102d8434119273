#include "sim/BulkInQueue.h"

#include <algorithm>

#include "sim/VirtualPlotter.h"

namespace sim {

void BulkInQueue::queueReply(const std::string& reply, const Misbehaviour& misbehaviour) {
  if (misbehaviour.replyTransfers) {
    for (const std::vector<BYTE>& transfer : *misbehaviour.replyTransfers) push(transfer);
    return;
  }
  DWORD length = misbehaviour.announcedReplyLength.value_or(DWORD(reply.size()));
  std::vector<BYTE> header = {BYTE(length), BYTE(length >> 8), BYTE(length >> 16),
                              BYTE(length >> 24)};
  if (misbehaviour.headerBytes) {
    header.resize(std::min<size_t>(*misbehaviour.headerBytes, header.size()));
  }
  push(std::move(header));
  if (!reply.empty()) push(std::vector<BYTE>(reply.begin(), reply.end()));
}

os::sim::IoOutcome BulkInQueue::take(BYTE* buffer, DWORD length) {
  if (transfers_.empty()) return {ERROR_SUCCESS, 0};  // a reset came while the read was delayed
  const std::vector<BYTE>& front = transfers_.front();
  DWORD count = DWORD(std::min<size_t>(length, front.size()));
  std::copy_n(front.begin(), count, buffer);
  bool overrun = count < front.size();
  transfers_.pop_front();
  return {overrun ? kBulkInOverrunError : DWORD(ERROR_SUCCESS), count};
}

}  // namespace sim
