// An owner for a C stdio file: closes it when it goes, so every early return closes what was
// opened. For the host's own files (plot files, firmware files), which the program reads and
// writes with the C library rather than through the platform line.
#pragma once

#include <cstdio>
#include <memory>

namespace os {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

inline UniqueFile openFile(const char* path, const char* mode) {
  return UniqueFile(std::fopen(path, mode));
}

}  // namespace os
