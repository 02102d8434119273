// The request records of the four job kinds, little-endian and byte-packed, no terminators:
//   file        02 | 32-bit file size | 8-bit name length n | n bytes of the file name
//   query       03 | 8-bit text length n | n bytes of query text
//   chunk size  05 | 32-bit chunk size
//   command     06 | 8-bit text length n | n bytes of command text
// A firmware update goes as a file request whose first byte is 08.
#pragma once

#include <string_view>

#include "channel/TransferJob.h"

namespace channel {

inline constexpr BYTE kFirmwareRequestCode = 0x08;
// The most a length byte can say. Longer texts and names are refused, never cut.
inline constexpr size_t kMaxRecordText = 255;

// Each builder gives the job its record and returns 0, or the reason it could not:
// ERROR_NOT_ENOUGH_MEMORY, or a text or name that does not fit its length byte.
DWORD buildFileRequest(TransferJob& job, DWORD fileSize, std::string_view fileName);
// Query and command texts; an empty text is refused too (ERROR_INVALID_PARAMETER).
DWORD buildTextRequest(TransferJob& job, std::string_view text);
DWORD buildChunkSizeRequest(TransferJob& job, DWORD chunkSize);

// A query or command job with its text request; null with the reason in the channel's last
// error when the text is missing, empty or too long, or memory runs out.
UniqueTransferJob createTextJob(TransferChannel& channel, DWORD kind, const char* text);

// The size field of a file request.
DWORD requestFileSize(const TransferJob& job);

// A 32-bit field as every number of the transfer protocol goes: little-endian.
inline DWORD dwordAt(const BYTE* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24;
}

}  // namespace channel
