// The conformance environment of the real Windows platform (under Wine in the tests): registry
// text goes into the real registry below HKEY_LOCAL_MACHINE\SOFTWARE\VelkorTest, files into a
// directory under %TEMP%.
#ifdef _WIN32

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConformanceEnv.h"
#include "ScratchDirectory.h"
#include "os/sim/RegText.h"
#include "os/win32/Win32Platform.h"

namespace conformance {
namespace {

constexpr char kTestRoot[] = "SOFTWARE\\VelkorTest";

// Whether a key path lies at or below the test root (key names ignore case).
bool belowTestRoot(const std::string& path) {
  const size_t rootLength = sizeof kTestRoot - 1;
  if (path.size() < rootLength || ::_strnicmp(path.c_str(), kTestRoot, rootLength) != 0) {
    return false;
  }
  return path.size() == rootLength || path[rootLength] == '\\';
}

bool writeKey(const os::sim::RegistryKeyText& key) {
  HKEY handle = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool written = true;
  for (const os::sim::RegistryValue& value : key.values) {
    written = written && ::RegSetValueExA(handle, value.name.empty() ? nullptr : value.name.c_str(),
                                          0, value.type, value.data.data(),
                                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }
  ::RegCloseKey(handle);
  return written;
}

// Open handles of this process, from the system's handle table: Wine's GetProcessHandleCount
// always answers 0. -1 when the table cannot be read.
long processHandleCount() {
  struct HandleEntry {
    ULONG ownerProcess;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"),
                                               "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  std::vector<char> buffer(1 << 16);
  LONG status = kInfoLengthMismatch;
  for (int attempt = 0; attempt < 8 && status == kInfoLengthMismatch; ++attempt) {
    buffer.resize(buffer.size() * 2);
    status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                   nullptr);
  }
  if (status != 0) return -1;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  const ULONG self = ::GetCurrentProcessId();
  long count = 0;
  for (ULONG i = 0; i < table->count; ++i) count += table->entries[i].ownerProcess == self;
  return count;
}

class Win32Env : public Env {
 public:
  // A run that ended early may have left its keys behind.
  Win32Env() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot); }
  ~Win32Env() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestRoot); }

  const char* name() const override { return "win32"; }
  os::Platform& platform() override { return platform_; }
  bool loadRegistry(const std::string& regText) override {
    std::optional<os::sim::RegistryText> parsed = os::sim::parseRegistryText(regText);
    if (!parsed) return false;
    for (const os::sim::RegistryKeyText& key : parsed->keys) {
      if (!belowTestRoot(key.path)) return false;
    }
    for (const os::sim::RegistryKeyText& key : parsed->keys) {
      if (!writeKey(key)) return false;
    }
    return true;
  }
  std::string scratchDirectory() override { return scratch_.path(); }
  long openHandleCount() override { return processHandleCount(); }
  bool simulated() const override { return false; }

 private:
  os::win32::Win32Platform platform_;
  ScratchDirectory scratch_;
};

}  // namespace

std::unique_ptr<Env> makeWin32Env() { return std::make_unique<Win32Env>(); }

}  // namespace conformance

#endif  // _WIN32
