// The library's status text table and USBGetErrorText.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "os/Calls.h"
#include "usb/UsbApi.h"

namespace {

struct StatusTextRow {
  DWORD status;
  UINT id;  // string resource ID
};

// Searched from the first row: the second row of 0xE0100300 is never reached.
constexpr StatusTextRow kStatusTextTable[] = {
    {0xE0100001, 1},  {0xE0100002, 2},  {0xE0100003, 3},  {0xE0100004, 4},  {0xE0100005, 5},
    {0xE0100006, 6},  {0xE0100007, 7},  {0xE0100008, 8},  {0xE0100009, 9},  {0xE010000C, 12},
    {0xE010000D, 13}, {0xE010000F, 14}, {0xE0100010, 15}, {0xE0100030, 16}, {0xE0100100, 17},
    {0xE0100200, 18}, {0xE0100300, 19}, {0xE0100400, 20}, {0xE0100500, 21}, {0xE0100600, 22},
    {0xE0100700, 23}, {0xE0100800, 24}, {0xE0100900, 25}, {0xE0100A00, 26}, {0xE0100B00, 27},
    {0xE0100C00, 28}, {0xE0100D00, 29}, {0xE0110000, 30}, {0xE0120000, 31}, {0xE01F0002, 32},
    {0xE01F0003, 33}, {0xE0100300, 34}, {0xE01F0005, 35}, {0xE01F0006, 36}, {0xE01F0007, 37},
    {0xE0110001, 38}, {0xE0110002, 39}, {0xE01F0008, 40}, {0xE01F0009, 41}, {0xE01F000A, 43},
    {0xE01F0010, 44},
};
static_assert(std::size(kStatusTextTable) == 41);

constexpr DWORD kLibraryStatusBits = 0xE0100000;
constexpr int kLibraryTextSize = 256;

const StatusTextRow* findRow(DWORD status) {
  for (const StatusTextRow& row : kStatusTextTable) {
    if (row.status == status) return &row;
  }
  return nullptr;
}

// The text of the row's string resource, from the program the library is linked into (a null
// instance names it); the status in hexadecimal when it has no row, or its text is missing.
char* libraryText(DWORD status) {
  auto* text = static_cast<char*>(os::LocalAlloc(LMEM_FIXED, kLibraryTextSize));
  if (!text) return nullptr;
  const StatusTextRow* row = findRow(status);
  if (!row || os::LoadStringA(nullptr, row->id, text, kLibraryTextSize) <= 0) {
    std::snprintf(text, kLibraryTextSize, "0x%X", static_cast<unsigned>(status));
  }
  return text;
}

// The system's message in the user's default language without its trailing line break; null
// when the system has none.
char* systemText(DWORD status) {
  char* text = nullptr;
  DWORD length = os::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, status, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text),
      0, nullptr);
  if (length == 0 || !text) return nullptr;
  size_t end = std::strlen(text);
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n')) text[--end] = '\0';
  return text;
}

}  // namespace

extern "C" char* WINAPI USBGetErrorText(DWORD status) {
  return (status & kLibraryStatusBits) != 0 ? libraryText(status) : systemText(status);
}
