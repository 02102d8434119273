#if !defined(_WIN32)

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "plotter/ExclusiveFile.h"

namespace plotter {

std::FILE* createExclusiveFile(const char* path) {
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

}  // namespace plotter

#endif
