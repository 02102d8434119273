#include "channel/FileTransfer.h"

#include <algorithm>

#include "channel/CommandTransfer.h"
#include "channel/RequestRecord.h"
#include "channel/TransferJob.h"
#include "os/Calls.h"

namespace channel {
namespace {

// Opens the file and, unless it is empty, maps it read-only and the window of its first chunk;
// size gets its length. Returns 0 or the failing call's error. So a file that cannot be mapped
// fails before anything is sent.
DWORD mapFile(TransferJob& job, const char* path, DWORD& size) {
  job.file.reset(
      os::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!job.file) return os::GetLastError();
  DWORD high = 0;
  os::SetLastError(NO_ERROR);  // a file of 0xFFFFFFFF bytes is no failure
  size = os::GetFileSize(job.file.get(), &high);
  if (size == INVALID_FILE_SIZE && os::GetLastError() != NO_ERROR) return os::GetLastError();
  // The size field holds 32 bits; a larger file would go out cut short.
  if (high != 0) return ERROR_FILE_TOO_LARGE;
  if (size == 0) return 0;
  job.mapping.reset(
      os::CreateFileMappingA(job.file.get(), nullptr, PAGE_READONLY | SEC_COMMIT, 0, 0, nullptr));
  if (!job.mapping) return os::GetLastError();
  return job.window.cover(job.mapping.get(), size, 0, std::min(size, job.channel->chunkSize));
}

// The name is looked at before the file is opened, so that a path without one, or with one
// too long for the request, fails the same way whatever the file system makes of it.
DWORD checkFileName(std::string_view name) {
  if (name.empty()) return ERROR_INVALID_NAME;
  return name.size() > kMaxRecordText ? ERROR_FILENAME_EXCED_RANGE : 0;
}

// The file request, with byte 0 changed to 08 for a firmware update.
DWORD buildRequestFor(TransferJob& job, std::string_view name, DWORD size, bool firmware) {
  DWORD error = buildFileRequest(job, size, name);
  if (error == 0 && firmware) job.requestRecord[0] = kFirmwareRequestCode;
  return error;
}

// The announcement and the file job, nested in one device lock of their own.
bool runUnderDeviceLock(TransferChannel& channel, TransferJob& job) {
  DWORD status = USBLockDevice(channel.pipes.device, usb::UDRV_LOCK_TAKE);
  if (status != 0) return failTransfer(channel, status);
  bool sent = announceChunkSize(&channel, channel.chunkSize) && runTransferJob(&job);
  USBLockDevice(channel.pipes.device, usb::UDRV_LOCK_RELEASE);
  return sent;
}

}  // namespace

std::string_view transferFileName(std::string_view path) {
  size_t separator = path.find_last_of("\\/:");
  std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
  size_t dot = name.find_last_of('.');
  bool hasBaseName = dot == std::string_view::npos ? !name.empty() : dot > 0;
  return hasBaseName ? name : std::string_view{};
}

bool sendFileTransfer(TransferChannel* channel, const char* path, bool firmware) {
  if (!isTransferChannel(channel)) return false;
  if (!path) return failTransfer(*channel, ERROR_INVALID_PARAMETER);
  UniqueTransferJob job(createTransferJob(channel, kFileJob));
  if (!job) return failTransfer(*channel, ERROR_NOT_ENOUGH_MEMORY);
  std::string_view name = transferFileName(path);
  DWORD size = 0;
  DWORD error = checkFileName(name);
  if (error == 0) error = mapFile(*job, path, size);
  if (error == 0) error = buildRequestFor(*job, name, size, firmware);
  if (error != 0) return failTransfer(*channel, error);
  return runUnderDeviceLock(*channel, *job);
}

}  // namespace channel
