#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/cli/HostSystem.h"

namespace cli {

std::string utf8FromSystem(const std::string& text) { return text; }

firmware::UniqueFile createNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  firmware::UniqueFile file(::fdopen(fd, "wb"));
  if (!file) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

bool replaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace cli
