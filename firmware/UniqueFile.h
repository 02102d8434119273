// An owner for a C stdio file: closes it when it goes, so every early return closes what was
// opened. The firmware parser itself only borrows open files.
#pragma once

#include <cstdio>
#include <memory>

namespace firmware {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

inline UniqueFile openFile(const char* path, const char* mode) {
  return UniqueFile(std::fopen(path, mode));
}

}  // namespace firmware
