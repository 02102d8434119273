#if !defined(_WIN32)

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "os/ExclusiveFile.h"

namespace os {

UniqueFile createExclusiveFile(const char* path, NewFileAccess access) {
  const mode_t mode = access == NewFileAccess::OwnerOnly ? 0600 : 0666;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return nullptr;
  UniqueFile file(::fdopen(fd, "wb"));
  if (!file) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

}  // namespace os

#endif
