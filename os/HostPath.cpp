#include "os/HostPath.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace os {

#if defined(_WIN32)

std::filesystem::path hostPath(const std::string& text) {
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (units <= 0) return std::filesystem::path(text);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), units);
  return std::filesystem::path(wide);
}

std::string systemText(const std::filesystem::path& path) {
  const std::wstring& wide = path.native();
  const int units = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), units, text.data(), bytes, nullptr, nullptr);
  return text;
}

#else

std::filesystem::path hostPath(const std::string& text) { return std::filesystem::path(text); }
std::string systemText(const std::filesystem::path& path) { return path.native(); }

#endif

}  // namespace os
