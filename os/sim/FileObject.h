// An open file object: a host file or a device endpoint. Every ReadFile, WriteFile and
// DeviceIoControl on its handle becomes one request that the object says when and how it ends;
// the I/O manager (IoManager) applies the Windows rules around it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "os/sim/SimDevice.h"
#include "os/sim/Waitable.h"

namespace os::sim {

struct IoOperation;

class FileObject;

// What opening a path gives: the file object, or null and the error. On success the error is
// ERROR_SUCCESS, or ERROR_ALREADY_EXISTS where CreateFileA reports that a file was there.
struct OpenResult {
  std::shared_ptr<FileObject> file;
  DWORD error = ERROR_SUCCESS;
};

class FileObject : public Waitable {
 public:
  FileObject(std::string path, DWORD access, bool overlapped)
      : Waitable(Closer::CloseHandle), path_(std::move(path)), access_(access),
        overlapped_(overlapped) {}

  const std::string& path() const { return path_; }
  DWORD access() const { return access_; }
  // Opened with FILE_FLAG_OVERLAPPED: requests given an OVERLAPPED may stay pending.
  bool overlapped() const { return overlapped_; }

  // Windows signals a file object when a request on it completes and resets it when one starts.
  bool signalled() const override { return signalled_; }
  void setSignalled(bool on) { signalled_ = on; }

  // Starts one request. A host file reads and writes at the OVERLAPPED's offset when one is
  // given, else at its own position.
  virtual IoCompletion submit(const IoRequest& request, const OVERLAPPED* overlapped) = 0;
  // The device behind the object; null for a host file.
  virtual const SimDevice* device() const { return nullptr; }

  // Requests started on this object and not yet complete.
  std::vector<std::shared_ptr<IoOperation>>& pending() { return pending_; }

 private:
  std::string path_;
  DWORD access_;
  bool overlapped_;
  bool signalled_ = false;
  std::vector<std::shared_ptr<IoOperation>> pending_;
};

}  // namespace os::sim
