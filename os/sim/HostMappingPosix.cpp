#if !defined(_WIN32)

#include <sys/mman.h>

#include "os/sim/HostMapping.h"

namespace os::sim {
namespace {

class PosixView : public HostView {
 public:
  PosixView(void* address, size_t length) : address_(address), length_(length) {}
  ~PosixView() override { munmap(address_, length_); }
  const BYTE* data() const override { return static_cast<const BYTE*>(address_); }

 private:
  void* address_;
  size_t length_;
};

}  // namespace

std::unique_ptr<HostView> mapHostFile(std::FILE* stream, uint64_t offset, size_t length,
                                      DWORD* error) {
  // Shared, so that the view sees later writes to the file as a Windows view does.
  void* address = mmap(nullptr, length, PROT_READ, MAP_SHARED, fileno(stream),
                       static_cast<off_t>(offset));
  if (address == MAP_FAILED) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  return std::make_unique<PosixView>(address, length);
}

}  // namespace os::sim

#endif  // !_WIN32
