// A file named on the command line for output, written so that a failure leaves what was there:
// the bytes go to a new file beside it, which takes the name only when the whole output has
// been written (commit) and is removed otherwise. A device or pipe named for output is written
// directly, since a file put in its place would not reach it.
#pragma once

#include <cstdio>
#include <string>

#include "firmware/UniqueFile.h"

namespace cli {

class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Where to write; null when the output could not be opened, error() saying why.
  std::FILE* file() const { return file_.get(); }
  int error() const { return error_; }
  // Closes the output and puts it in place; 0, or the errno of the failure, after which the
  // new file is removed all the same.
  int commit();

 private:
  void openBeside();

  std::string target_;   // the name to take: the output's, or where its symbolic link leads
  std::string staging_;  // the new file beside it; empty when writing directly
  firmware::UniqueFile file_;
  int error_ = 0;
};

}  // namespace cli
