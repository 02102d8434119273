// Comparisons without regard to case, as Windows makes them for paths, registry names and
// printer names (ASCII letters only, which is all the system's names hold).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace os::sim {

inline char upperCase(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

inline std::string upperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperCase(c);
  return out;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return upperCase(x) == upperCase(y); });
}

inline bool containsIgnoringCase(std::string_view text, std::string_view part) {
  auto same = [](char x, char y) { return upperCase(x) == upperCase(y); };
  return std::search(text.begin(), text.end(), part.begin(), part.end(), same) != text.end();
}

}  // namespace os::sim
