#if defined(_WIN32)

#include <io.h>

#include "os/sim/HostMapping.h"

namespace os::sim {
namespace {

class Win32View : public HostView {
 public:
  explicit Win32View(void* address) : address_(address) {}
  ~Win32View() override { ::UnmapViewOfFile(address_); }
  const BYTE* data() const override { return static_cast<const BYTE*>(address_); }

 private:
  void* address_;
};

}  // namespace

std::unique_ptr<HostView> mapHostFile(std::FILE* stream, uint64_t offset, size_t length,
                                      DWORD* error) {
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  HANDLE section = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!section) {
    *error = ::GetLastError();
    return nullptr;
  }
  // The view keeps the section alive after its handle is closed.
  void* address = ::MapViewOfFile(section, FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                  static_cast<DWORD>(offset), length);
  if (!address) *error = ::GetLastError();
  ::CloseHandle(section);
  return address ? std::make_unique<Win32View>(address) : nullptr;
}

}  // namespace os::sim

#endif  // _WIN32
