#include "os/sim/FileMappings.h"

#include "os/sim/LastError.h"

namespace os::sim {
namespace {

// Views start at multiples of Windows' allocation granularity.
constexpr uint64_t kAllocationGranularity = 65536;

class FileMapping : public KernelObject {
 public:
  FileMapping(std::shared_ptr<HostFile> mapped, uint64_t bytes)
      : KernelObject(Closer::CloseHandle), file(std::move(mapped)), size(bytes) {}
  std::shared_ptr<HostFile> file;  // kept open while the mapping is
  uint64_t size;
};

// Why the view asked for cannot be mapped; ERROR_SUCCESS when it can.
DWORD viewError(const FileMapping& mapping, FaultInjector& faults, DWORD access, uint64_t offset,
                SIZE_T bytes) {
  if (std::optional<Fault> fault = faults.check(Call::MapViewOfFile, mapping.file->path())) {
    return fault->error;
  }
  if (access & ~static_cast<DWORD>(FILE_MAP_READ)) return ERROR_ACCESS_DENIED;
  if (offset % kAllocationGranularity != 0) return ERROR_MAPPED_ALIGNMENT;
  if (offset >= mapping.size || bytes > mapping.size - offset) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

}  // namespace

HANDLE FileMappings::createMapping(HANDLE fileHandle, DWORD protect, uint64_t maximumSize) {
  std::shared_ptr<HostFile> file = handles_.find<HostFile>(fileHandle);
  if (!file) {
    failWith(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  if (std::optional<Fault> fault = faults_.check(Call::CreateFileMapping, file->path())) {
    error = fault->error;
  } else if ((protect & 0xFFu) != PAGE_READONLY) {
    error = ERROR_NOT_SUPPORTED;
  } else if (!(file->access() & GENERIC_READ)) {
    error = ERROR_ACCESS_DENIED;
  }
  std::optional<uint64_t> size = error ? std::nullopt : file->size(&error);
  if (size && *size == 0 && maximumSize == 0) error = ERROR_FILE_INVALID;
  if (size && maximumSize > *size) error = ERROR_NOT_ENOUGH_MEMORY;
  if (error) {
    failWith(error);
    return nullptr;
  }
  uint64_t mapped = maximumSize ? maximumSize : *size;
  return handles_.insert(std::make_shared<FileMapping>(std::move(file), mapped));
}

LPVOID FileMappings::mapView(HANDLE mappingHandle, DWORD access, uint64_t offset, SIZE_T bytes) {
  std::shared_ptr<FileMapping> mapping = handles_.find<FileMapping>(mappingHandle);
  DWORD error =
      mapping ? viewError(*mapping, faults_, access, offset, bytes) : ERROR_INVALID_HANDLE;
  std::unique_ptr<HostView> view;
  if (!error) {
    size_t length = bytes ? bytes : static_cast<size_t>(mapping->size - offset);
    view = mapHostFile(mapping->file->stream(), offset, length, &error);
  }
  if (!view) {
    failWith(error);
    return nullptr;
  }
  const BYTE* address = view->data();
  views_.emplace(address, std::move(view));
  return const_cast<BYTE*>(address);
}

BOOL FileMappings::unmapView(LPCVOID view) {
  if (views_.erase(view) == 0) return failWith(ERROR_INVALID_ADDRESS);
  return TRUE;
}

}  // namespace os::sim
