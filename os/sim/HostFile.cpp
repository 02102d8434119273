#include "os/sim/HostFile.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include "os/HostPath.h"

namespace os::sim {
namespace {
namespace fs = std::filesystem;

bool parentExists(const std::string& path) {
  std::error_code ignored;
  fs::path parent = hostPath(path).parent_path();
  return parent.empty() || fs::is_directory(parent, ignored);
}

DWORD missingError(const std::string& path) {
  return parentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

// The Win32 error Windows gives where the C library reports errno.
DWORD errorFromErrno(int code, const std::string& path) {
  switch (code) {
    case ENOENT: return missingError(path);
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC: return ERROR_DISK_FULL;
    case ENAMETOOLONG:
    case EINVAL: return ERROR_INVALID_NAME;
    default: return ERROR_GEN_FAILURE;
  }
}

// Whether the disposition lets the open go on, given whether the file is there.
DWORD checkDisposition(DWORD disposition, bool exists, const std::string& path) {
  switch (disposition) {
    case CREATE_NEW: return exists ? ERROR_FILE_EXISTS : ERROR_SUCCESS;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: return ERROR_SUCCESS;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING: return exists ? ERROR_SUCCESS : missingError(path);
    default: return ERROR_INVALID_PARAMETER;
  }
}

// The host's stdio offsets of 64 bits: a long has 32 on Windows, in 64-bit programs too.
bool seekHost(std::FILE* stream, int64_t offset, int origin) {
#if defined(_WIN32)
  return _fseeki64(stream, offset, origin) == 0;
#else
  return fseeko(stream, static_cast<off_t>(offset), origin) == 0;
#endif
}

int64_t tellHost(std::FILE* stream) {
#if defined(_WIN32)
  return _ftelli64(stream);
#else
  return ftello(stream);
#endif
}

}  // namespace

OpenResult HostFile::open(const std::string& path, DWORD access, DWORD disposition,
                                bool overlapped) {
  if (path.empty()) return {nullptr, ERROR_PATH_NOT_FOUND};
  std::error_code ignored;
  fs::file_status status = fs::status(hostPath(path), ignored);
  if (fs::is_directory(status)) return {nullptr, ERROR_ACCESS_DENIED};
  bool exists = fs::exists(status);
  if (DWORD refused = checkDisposition(disposition, exists, path)) return {nullptr, refused};
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) {
    return {nullptr, ERROR_INVALID_PARAMETER};
  }
  if (!exists || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
    std::FILE* made = std::fopen(path.c_str(), "wb");
    if (!made) return {nullptr, errorFromErrno(errno, path)};
    std::fclose(made);
  }
  std::FILE* stream = std::fopen(path.c_str(), (access & GENERIC_WRITE) ? "r+b" : "rb");
  if (!stream) return {nullptr, errorFromErrno(errno, path)};
  bool reopened = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  return {std::make_shared<HostFile>(path, access, overlapped, stream),
          static_cast<DWORD>(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS)};
}

HostFile::~HostFile() { std::fclose(stream_); }

IoCompletion HostFile::submit(const IoRequest& request, const OVERLAPPED* overlapped) {
  uint64_t offset = position_;
  if (overlapped) offset = (uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset;
  switch (request.kind) {
    case IoRequest::Kind::Read:
      return IoCompletion::now(read(request.output, request.outputLength, offset, overlapped));
    case IoRequest::Kind::Write:
      return IoCompletion::now(write(request.input, request.inputLength, offset));
    case IoRequest::Kind::Control: break;
  }
  return IoCompletion::now({ERROR_INVALID_FUNCTION, 0});
}

bool HostFile::seek(uint64_t offset) {
  return offset <= uint64_t{INT64_MAX} && seekHost(stream_, static_cast<int64_t>(offset), SEEK_SET);
}

// A read at or past the end gives 0 bytes; with an OVERLAPPED, Windows reports that as
// ERROR_HANDLE_EOF instead.
IoOutcome HostFile::read(BYTE* buffer, DWORD length, uint64_t offset, bool atOverlappedOffset) {
  if (!seek(offset)) return {ERROR_INVALID_PARAMETER, 0};
  size_t got = length ? std::fread(buffer, 1, length, stream_) : 0;
  if (got < length && std::ferror(stream_)) {
    std::clearerr(stream_);
    return {ERROR_READ_FAULT, 0};
  }
  position_ = offset + got;
  if (got == 0 && length > 0 && atOverlappedOffset) return {ERROR_HANDLE_EOF, 0};
  return {ERROR_SUCCESS, static_cast<DWORD>(got)};
}

// Written bytes are flushed at once, so that other handles and mappings of the file see them.
IoOutcome HostFile::write(const BYTE* buffer, DWORD length, uint64_t offset) {
  if (!seek(offset)) return {ERROR_INVALID_PARAMETER, 0};
  size_t put = length ? std::fwrite(buffer, 1, length, stream_) : 0;
  bool flushed = std::fflush(stream_) == 0;
  position_ = offset + put;
  if (put < length || !flushed) {
    std::clearerr(stream_);
    return {static_cast<DWORD>(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT),
            static_cast<DWORD>(put)};
  }
  return {ERROR_SUCCESS, static_cast<DWORD>(put)};
}

std::optional<uint64_t> HostFile::size(DWORD* error) {
  std::fflush(stream_);
  const int64_t end = seekHost(stream_, 0, SEEK_END) ? tellHost(stream_) : -1;
  if (end < 0) {
    *error = ERROR_GEN_FAILURE;
    return std::nullopt;
  }
  return static_cast<uint64_t>(end);
}

DWORD deleteHostFile(const std::string& path) {
  std::error_code ignored;
  fs::file_status status = fs::symlink_status(hostPath(path), ignored);
  if (!fs::exists(status)) return missingError(path);
  if (fs::is_directory(status)) return ERROR_ACCESS_DENIED;
  return std::remove(path.c_str()) == 0 ? ERROR_SUCCESS : errorFromErrno(errno, path);
}

}  // namespace os::sim
