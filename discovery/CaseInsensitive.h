// Hardware IDs and registry names compare without regard to letter case, as Windows compares
// them (ASCII letters only, which is all they hold).
#pragma once

#include <cctype>
#include <string_view>

namespace discovery {

inline bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace discovery
