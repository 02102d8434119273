// How the simulated spooler answers its Get calls (GetJobA, GetPrinterA): the structure at the
// start of the caller's buffer and its strings right after it, inside the buffer, as Windows
// lays them out; or, for no or too small a buffer, the size needed.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "os/Win32.h"
#include "os/sim/LastError.h"

namespace os::sim {

// A text member of the structure and the text it points at.
template <typename Info>
using InfoText = std::pair<LPSTR Info::*, std::string_view>;

// info, each text member pointing at its copy in buffer, and TRUE; FALSE with
// ERROR_INSUFFICIENT_BUFFER when buffer is null or short. *needed gets the size either way.
template <typename Info>
BOOL placeInfo(Info info, std::initializer_list<InfoText<Info>> texts, LPBYTE buffer, DWORD size,
               LPDWORD needed) {
  if (needed == nullptr) return failWith(ERROR_INVALID_PARAMETER);
  size_t total = sizeof(Info);
  for (const auto& text : texts) total += text.second.size() + 1;
  *needed = static_cast<DWORD>(total);
  if (buffer == nullptr || size < total) return failWith(ERROR_INSUFFICIENT_BUFFER);
  char* next = reinterpret_cast<char*>(buffer) + sizeof(Info);
  for (const auto& [member, text] : texts) {
    std::memcpy(next, text.data(), text.size());
    next[text.size()] = '\0';
    info.*member = next;
    next += text.size() + 1;
  }
  std::memcpy(buffer, &info, sizeof info);
  return TRUE;
}

}  // namespace os::sim
