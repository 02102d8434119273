#include "channel/RequestRecord.h"

#include <cstring>
#include <new>

namespace channel {
namespace {

void putDword(BYTE* at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}

// A record of length bytes whose first byte is the job's kind.
BYTE* allocateRecord(TransferJob& job, size_t length) {
  job.requestRecord.reset(new (std::nothrow) BYTE[length]);
  if (!job.requestRecord) return nullptr;
  job.requestLength = static_cast<DWORD>(length);
  job.requestRecord[0] = static_cast<BYTE>(job.kind);
  return job.requestRecord.get();
}

// Writes the length byte and the text at `at`.
void putText(BYTE* at, std::string_view text) {
  at[0] = static_cast<BYTE>(text.size());
  std::memcpy(at + 1, text.data(), text.size());
}

}  // namespace

DWORD buildFileRequest(TransferJob& job, DWORD fileSize, std::string_view fileName) {
  if (fileName.size() > kMaxRecordText) return ERROR_FILENAME_EXCED_RANGE;
  BYTE* record = allocateRecord(job, 1 + 4 + 1 + fileName.size());
  if (!record) return ERROR_NOT_ENOUGH_MEMORY;
  putDword(record + 1, fileSize);
  putText(record + 5, fileName);
  return 0;
}

DWORD buildTextRequest(TransferJob& job, std::string_view text) {
  if (text.empty() || text.size() > kMaxRecordText) return ERROR_INVALID_PARAMETER;
  BYTE* record = allocateRecord(job, 1 + 1 + text.size());
  if (!record) return ERROR_NOT_ENOUGH_MEMORY;
  putText(record + 1, text);
  return 0;
}

UniqueTransferJob createTextJob(TransferChannel& channel, DWORD kind, const char* text) {
  UniqueTransferJob job(createTransferJob(&channel, kind));
  DWORD error = !text  ? ERROR_INVALID_PARAMETER
                : !job ? ERROR_NOT_ENOUGH_MEMORY
                       : buildTextRequest(*job, text);
  if (error == 0) return job;
  failTransfer(channel, error);
  return nullptr;
}

DWORD buildChunkSizeRequest(TransferJob& job, DWORD chunkSize) {
  BYTE* record = allocateRecord(job, 1 + 4);
  if (!record) return ERROR_NOT_ENOUGH_MEMORY;
  putDword(record + 1, chunkSize);
  return 0;
}

DWORD requestFileSize(const TransferJob& job) { return dwordAt(job.requestRecord.get() + 1); }

}  // namespace channel
