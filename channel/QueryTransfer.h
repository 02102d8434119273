// Queries: a text sent to the plotter and its reply read back.
#pragma once

#include "channel/TransferChannel.h"

namespace channel {

// The longest reply a plotter may give.
inline constexpr DWORD kMaxReplyLength = 300;

// The caller's record for a query: the reply's length, set by the query, and the caller's
// buffer of at least kMaxReplyLength bytes. The reply is not terminated.
struct QueryReply {
  DWORD replyLength = 0;
  char* replyBuffer = nullptr;
};

// True with the reply in the caller's buffer. A job that fails leaves an empty string and
// length 0; a missing, empty or over-long text fails before anything is sent and leaves the
// caller's record as it was.
bool queryTransfer(TransferChannel* channel, const char* text, QueryReply* reply);

}  // namespace channel
