// Command texts, and the chunk-size announcement that goes before every file.
#pragma once

#include "channel/TransferChannel.h"

namespace channel {

// Sends a command text (no data phase). A missing, empty or over-long text fails before
// anything is sent.
bool commandTransfer(TransferChannel* channel, const char* text);
// Tells the plotter the block size of the bulk writes that follow.
bool announceChunkSize(TransferChannel* channel, DWORD value);

}  // namespace channel
