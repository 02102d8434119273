// USBBuildIsoXfer: the buffer of an isochronous transfer on a pipe.
//
// Layout, little-endian: the 16-bit value, the 32-bit value, a zero 32-bit field, the packet
// count n, then n entries of 12 bytes (the packet's offset from the buffer's start, its length
// wMaxPacketSize, status 0), then n packets of data (not initialised) and 12 spare bytes.
// The buffer comes from LocalAlloc: the caller frees it with LocalFree.
#include <cstring>

#include "os/Calls.h"
#include "usb/UsbApi.h"
#include "usb/UsbPipe.h"

namespace {

constexpr DWORD kIsoHeaderSize = 14;
constexpr DWORD kIsoEntrySize = 12;
constexpr DWORD kIsoSpareSize = 12;

void put16(BYTE* at, WORD value) {
  at[0] = BYTE(value);
  at[1] = BYTE(value >> 8);
}

void put32(BYTE* at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[i] = BYTE(value >> (8 * i));
}

}  // namespace

extern "C" DWORD WINAPI USBBuildIsoXfer(USB_PIPE_HANDLE pipe, DWORD packetCount, WORD value16,
                                        DWORD value32, void** buffer, DWORD* size) {
  if (!usb::checkedHandle(pipe, usb::kPipeKind) || !buffer || !size) {
    return USBERR_INVALID_PARAMETER;
  }
  const DWORD n = packetCount & 0xFF;
  const DWORD m = pipe->descriptor.wMaxPacketSize;
  const DWORD total = kIsoHeaderSize + kIsoSpareSize + n * (m + kIsoEntrySize);
  auto* bytes = static_cast<BYTE*>(os::LocalAlloc(LMEM_FIXED, total));
  *buffer = bytes;
  *size = bytes ? total : 0;
  if (!bytes) return USBERR_NO_MEMORY;
  std::memset(bytes, 0, kIsoHeaderSize + kIsoSpareSize);
  put16(bytes, value16);
  put32(bytes + 2, value32);
  put32(bytes + 10, n);
  DWORD offset = kIsoHeaderSize + kIsoEntrySize * n;
  for (DWORD i = 0; i < n; ++i, offset += m) {
    BYTE* entry = bytes + kIsoHeaderSize + kIsoEntrySize * i;
    put32(entry, offset);
    put32(entry + 4, m);
    put32(entry + 8, 0);
  }
  return 0;
}
