// The Windows registry export format (.reg text), parsed into keys and values.
//
// Takes "REGEDIT4" and "Windows Registry Editor Version 5.00" files (UTF-8, or UTF-16LE with
// its byte-order mark as regedit writes version 5), keys below HKEY_LOCAL_MACHINE, "Name"="text"
// and @= (default) values with \\ and \" escapes, dword:, hex: and hex(n): values (hex lines
// continued with a trailing backslash), and ';' comments. Texts are kept as UTF-8, also those
// given as hex(1), hex(2) and hex(7) UTF-16LE bytes in version 5 files. Deletions ([-key],
// "name"=-) are refused.
//
// A parser of outside bytes: any input gives a result or an error, never a crash. It is a pure
// function so that the Windows test environment can write the same keys into a real registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/Win32.h"

namespace os::sim {

struct RegistryValue {
  std::string name;  // empty for the default value
  DWORD type = REG_NONE;
  std::vector<BYTE> data;  // as RegQueryValueExA returns it; REG_SZ with its terminator
};

struct RegistryKeyText {
  std::string path;  // below HKEY_LOCAL_MACHINE ("SOFTWARE\\Foo"), empty for the root itself
  std::vector<RegistryValue> values;
};

struct RegistryText {
  std::vector<RegistryKeyText> keys;  // in file order; a key may appear more than once
};

// The keys and values of the text, or nullopt with *error saying which line is wrong and why.
std::optional<RegistryText> parseRegistryText(std::string_view text, std::string* error = nullptr);

}  // namespace os::sim
