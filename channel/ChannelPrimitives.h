// The pieces transfer jobs are made of: a request record by control request, the 2-byte status
// word from the interrupt pipe, and blocks on the bulk pipes in chunks. Each sets the thread's
// last error to the status of its last library call (0 on success). A read or write on a pipe
// that has not ended after 30 s is cancelled and fails with USBERR_TIMEOUT.
#pragma once

#include "channel/PipeSet.h"

namespace channel {

// Sends the record as the host-to-device data stage of the channel's control request; waits.
bool sendChannelRequest(const PipeSet& pipes, BYTE* record, DWORD length);
// Reads the little-endian status word from the interrupt pipe; waits.
bool readChannelStatus(const PipeSet& pipes, WORD& word);
// Writes total bytes to the bulk OUT pipe in chunks of chunk bytes, each waiting for the one
// before; stops at the first failure (what was written stays written). Tells the transfer
// progress listener 0 of total first, then the bytes written after each chunk.
bool writeChannelStream(const PipeSet& pipes, const void* data, DWORD total, DWORD chunk);
// Reads total bytes from the bulk IN pipe in the same way. A read that brings fewer bytes than
// it asked for fails with ERROR_INVALID_DATA, so no part of the buffer is left unfilled.
bool readChannelStream(const PipeSet& pipes, void* buffer, DWORD total, DWORD chunk);

}  // namespace channel
