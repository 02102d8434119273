// The lines of a world file, read into sections of keys and values without yet knowing what
// any key means.
//
//   # comment               lines starting with '#' or ';' (after blanks) are comments
//   [plotter A4 left]       a section: its kind, then its name up to the ']'; a ';' comment may
//                           follow the ']'
//   type = ZK400  ; comment a key, '=', and its value
//
// A value runs from after the '=' to the end of the line with the blanks around it trimmed;
// blanks inside double quotes are kept; \r, \n, \t, \\, \" and \xHH are decoded (in quotes and
// out); a blank followed by ';' outside quotes starts a comment. A line may end in a carriage
// return, which is no part of it.
//
// A parser of outside bytes: any input gives sections or a fault, never a crash.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct WorldFault {
  int line = 0;  // 1-based
  std::string what;
};

struct WorldEntry {
  std::string key;
  std::string value;  // decoded
  int line = 0;
};

struct WorldSection {
  std::string kind;  // "plotter" or "queue"
  std::string name;
  int line = 0;                     // of its header
  std::vector<WorldEntry> entries;  // in file order, each key once

  // The entry of this key, or null.
  const WorldEntry* find(std::string_view key) const;
};

// The sections in file order, or nullopt with *fault saying which line is wrong and why.
std::optional<std::vector<WorldSection>> readWorldSections(std::string_view text,
                                                           WorldFault* fault);

// A value as the file writes it after the '=' (comment included), decoded into *value; the
// fault's text, or empty when the value is sound.
std::string decodeWorldValue(std::string_view text, std::string* value);

}  // namespace sim
