#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "os/ExclusiveFile.h"

namespace os {

// _O_EXCL makes the system create the file or fail: an existing file or link is never opened.
// The C library's permissions know no owner; a user's temporary directory is their own.
UniqueFile createExclusiveFile(const char* path, NewFileAccess) {
  const int fd = ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  UniqueFile file(::_fdopen(fd, "wb"));
  if (!file) {
    const int error = errno;
    ::_close(fd);
    errno = error;
  }
  return file;
}

}  // namespace os

#endif
