// The system's message texts for FormatMessageA on the simulated machine: the English texts
// Windows gives for the error codes the system can meet, each ending in "\r\n" as there.
#pragma once

#include "os/sim/LocalHeap.h"

namespace os::sim {

// FormatMessageA from the system table (FORMAT_MESSAGE_FROM_SYSTEM; inserts are never expanded,
// as none of these texts has any). With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really an
// LPSTR* that receives a block from heap. The count of characters written, or 0 with the last
// error (ERROR_MR_MID_NOT_FOUND for an unknown code).
DWORD formatSystemMessage(DWORD flags, DWORD messageId, LPSTR buffer, DWORD size,
                          LocalHeap& heap);

}  // namespace os::sim
