// An empty directory of the host's own for one test environment, removed with everything in
// it when the owner goes.
#pragma once

#include <string>

namespace conformance {

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // The directory's path, with a trailing separator.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace conformance
