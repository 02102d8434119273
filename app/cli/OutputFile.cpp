#include "app/cli/OutputFile.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <random>

#include "app/cli/HostSystem.h"
#include "os/ExclusiveFile.h"
#include "os/HostPath.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

constexpr int kNameAttempts = 16;

// A device, pipe or socket, which is written where it is.
bool isSpecialFile(const std::string& path) {
  std::error_code ignored;
  const fs::file_status status = fs::status(os::hostPath(path), ignored);
  return fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

// The file that writing to path changes: through a symbolic link, the one it leads to.
std::string targetOf(const std::string& path) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(os::hostPath(path), error))) return path;
  const fs::path target = fs::canonical(os::hostPath(path), error);
  return error ? path : os::systemText(target);
}

// An existing file must be one this run may write, as it would be if written in place: a
// directory or a read-only file is refused. errno is set when not.
bool mayReplace(const std::string& path) {
  if (firmware::openFile(path.c_str(), "r+b")) return true;
  return errno == ENOENT;
}

// A fresh name beside target: the name with a random part and ".tmp" added.
std::string freshName(const std::string& target) {
  static std::mt19937 random(static_cast<unsigned>(
      std::random_device()() ^ std::chrono::steady_clock::now().time_since_epoch().count()));
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%08lx.tmp", static_cast<unsigned long>(random()));
  return target + suffix;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : target_(targetOf(path)) {
  if (isSpecialFile(target_)) {
    file_ = firmware::openFile(target_.c_str(), "wb");
    if (!file_) error_ = errno;
  } else if (!mayReplace(target_)) {
    error_ = errno;
  } else {
    openBeside();
  }
}

void OutputFile::openBeside() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = freshName(target_);
    file_ = os::createExclusiveFile(name.c_str(), os::NewFileAccess::UserDefault);
    if (file_) {
      staging_ = name;
      // The file it replaces keeps its permissions.
      std::error_code ignored;
      const fs::file_status existing = fs::status(os::hostPath(target_), ignored);
      if (fs::exists(existing)) {
        fs::permissions(os::hostPath(staging_), existing.permissions(), ignored);
      }
      return;
    }
    if (errno != EEXIST) break;
  }
  error_ = errno;
}

OutputFile::~OutputFile() {
  if (staging_.empty()) return;
  file_.reset();
  std::remove(staging_.c_str());
}

int OutputFile::commit() {
  if (!file_) return error_ != 0 ? error_ : EBADF;
  if (std::fclose(file_.release()) != 0) return errno;
  if (staging_.empty()) return 0;
  if (!replaceFile(staging_, target_)) return errno;
  staging_.clear();
  return 0;
}

}  // namespace cli
