// Paths between the system's narrow text and std::filesystem. On Windows the narrow text is in
// the process's ANSI code page (UTF-8 where the programs' manifest is honoured, an older code
// page where it is not), which the C++ library does not convert by; elsewhere a path is its
// bytes. Every std::filesystem call on a path the system gave as text goes through these.
#pragma once

#include <filesystem>
#include <string>

namespace os {

std::filesystem::path hostPath(const std::string& text);
// The path as the narrow file calls take it; empty when the code page cannot hold it.
std::string systemText(const std::filesystem::path& path);

}  // namespace os
