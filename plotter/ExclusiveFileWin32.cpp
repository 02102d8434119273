#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include "plotter/ExclusiveFile.h"

namespace plotter {

// _O_EXCL makes the system create the file or fail: an existing file or link is never opened.
std::FILE* createExclusiveFile(const char* path) {
  const int fd = ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = ::_fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    ::_close(fd);
    errno = error;
  }
  return file;
}

}  // namespace plotter

#endif
