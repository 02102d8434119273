#include "plotter/TempName.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "os/ExclusiveFile.h"
#include "os/HostPath.h"

namespace plotter {
namespace {

constexpr const char* kPrefix = "~plusb";
// Numbers tried before giving up, for a directory that cannot be looked into.
constexpr uint32_t kNameAttempts = 1000;
constexpr uint32_t kNumberRange = 1000000000;

struct SharedTempFile {
  std::string name;      // empty until ensureTempName
  bool created = false;  // the file at name is this run's own
};

SharedTempFile& shared() {
  static SharedTempFile file;
  return file;
}

// The directory an environment variable names, if it is there.
std::optional<std::string> directoryNamedBy(const char* variable) {
  const char* value = std::getenv(variable);
  std::error_code error;
  if (value == nullptr || *value == '\0' || !std::filesystem::is_directory(os::hostPath(value), error)) {
    return std::nullopt;
  }
  return value;
}

// The directory's text is kept as the environment gave it, so that the name reaches the
// file calls in the same code page.
std::string inDirectory(const std::string& directory, const std::string& name) {
  const char last = directory.empty() ? '\0' : directory.back();
  if (last == '/' || last == '\\') return directory + name;
  return directory + static_cast<char>(std::filesystem::path::preferred_separator) + name;
}

// Nothing at all is at path, not even a link whose target is missing.
bool nothingAt(const std::string& path) {
  std::error_code error;
  return std::filesystem::symlink_status(os::hostPath(path), error).type() ==
         std::filesystem::file_type::not_found;
}

// A start of this run's own, so that two programs running at once look at different names.
uint32_t startNumber() {
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ticks) % kNumberRange);
}

std::string freeName() {
  const std::string directory = tempDirectory();
  const uint32_t start = startNumber();
  for (uint32_t attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string path = inDirectory(directory, kPrefix + std::to_string(start + attempt));
    if (nothingAt(path)) return path;
  }
  return {};
}

}  // namespace

std::string tempDirectory() {
  // The order of the C library's unique-name service, which prefers TMP to the directory it
  // is asked for (TEMP's), and skips a variable whose directory is not there.
  for (const char* variable : {"TMP", "TEMP"}) {
    if (std::optional<std::string> directory = directoryNamedBy(variable)) return *directory;
  }
  std::error_code error;
  std::filesystem::path system = std::filesystem::temp_directory_path(error);
  return error ? std::string(".") : os::systemText(system);
}

void ensureTempName() {
  SharedTempFile& file = shared();
  if (file.name.empty()) file.name = freeName();
}

const char* tempName() { return shared().name.c_str(); }

os::UniqueFile createTempFile() {
  SharedTempFile& file = shared();
  if (file.name.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  removeTempFile();
  os::UniqueFile stream = os::createExclusiveFile(file.name.c_str(), os::NewFileAccess::OwnerOnly);
  if (stream) file.created = true;
  return stream;
}

// remove() takes away a link itself, never what it points to.
void removeTempFile() {
  SharedTempFile& file = shared();
  if (!file.created) return;
  if (std::remove(file.name.c_str()) == 0 || nothingAt(file.name)) file.created = false;
}

}  // namespace plotter
