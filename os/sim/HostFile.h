// Ordinary paths on the simulated machine are the host's real files, reached through C stdio
// so that the same code serves Linux and (under MinGW) Windows hosts, with 64-bit offsets on
// both.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "os/sim/FileObject.h"

namespace os::sim {

class HostFile : public FileObject {
 public:
  // CreateFileA's dispositions on a host path.
  static OpenResult open(const std::string& path, DWORD access, DWORD disposition, bool overlapped);
  ~HostFile() override;

  IoCompletion submit(const IoRequest& request, const OVERLAPPED* overlapped) override;
  // The file's size now, or the error that prevents knowing it.
  std::optional<uint64_t> size(DWORD* error);
  // The stdio stream, for mapping the file.
  std::FILE* stream() const { return stream_; }

  HostFile(std::string path, DWORD access, bool overlapped, std::FILE* stream)
      : FileObject(std::move(path), access, overlapped), stream_(stream) {}

 private:
  bool seek(uint64_t offset);
  IoOutcome read(BYTE* buffer, DWORD length, uint64_t offset, bool atOverlappedOffset);
  IoOutcome write(const BYTE* buffer, DWORD length, uint64_t offset);

  std::FILE* stream_;
  uint64_t position_ = 0;
};

// DeleteFileA on a host path: ERROR_SUCCESS or the failure.
DWORD deleteHostFile(const std::string& path);

}  // namespace os::sim
