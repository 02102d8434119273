// The pieces transfer jobs are made of: a request record by control request, the 2-byte status
// word from the interrupt pipe, and blocks on the bulk pipes in chunks. Each sets the thread's
// last error to the status of its last library call (0 on success). A read or write on a pipe
// that has not ended after 30 s is cancelled and fails with USBERR_TIMEOUT.
#pragma once

#include <functional>

#include "channel/PipeSet.h"

namespace channel {

// Where the bytes of a stream come from: points block at the stream's bytes from offset for
// length bytes and returns 0, or returns why they cannot be had.
using StreamSource = std::function<DWORD(DWORD offset, DWORD length, const BYTE*& block)>;

// Sends the record as the host-to-device data stage of the channel's control request; waits.
bool sendChannelRequest(const PipeSet& pipes, BYTE* record, DWORD length);
// Reads the little-endian status word from the interrupt pipe; waits.
bool readChannelStatus(const PipeSet& pipes, WORD& word);
// Writes total bytes to the bulk OUT pipe in chunks of chunk bytes, each waiting for the one
// before; stops at the first failure (what was written stays written). Tells the transfer
// progress listener 0 of total first, then the bytes written after each chunk.
bool writeChannelStream(const PipeSet& pipes, const void* data, DWORD total, DWORD chunk);
// The same with each chunk's bytes from the source, asked for just before the chunk is written;
// a source that fails ends the stream with its reason as the status.
bool writeChannelStream(const PipeSet& pipes, const StreamSource& source, DWORD total, DWORD chunk);
// Reads total bytes from the bulk IN pipe in the same way. A read that brings fewer bytes than
// it asked for fails with ERROR_INVALID_DATA, so no part of the buffer is left unfilled.
bool readChannelStream(const PipeSet& pipes, void* buffer, DWORD total, DWORD chunk);

}  // namespace channel
