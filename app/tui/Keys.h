// The keys the terminal dialog takes, decoded from what a terminal sends for them.
#pragma once

#include <cstddef>
#include <string_view>

namespace app::tui {

enum class KeyCode {
  None,       // nothing complete yet
  Character,  // a printable character
  Enter,
  Space,
  Tab,
  BackTab,  // Shift-Tab
  Escape,
  Up,
  Down,
  Left,
  Right,
  PageUp,
  PageDown,
  Home,
  End,
  Backspace,
  Help,        // F1
  SystemMenu,  // Alt-Space
  Quit,        // Ctrl-Q, Ctrl-C
  Redraw,      // Ctrl-L, or the terminal changed its size
  Unknown,
};

struct Key {
  KeyCode code = KeyCode::None;
  char character = 0;
};

// The key at the start of bytes and how many bytes it took (0 with KeyCode::None when the
// bytes are the start of a longer sequence). A lone escape byte is the Escape key only once the
// caller knows nothing follows it (complete).
Key decodeKey(std::string_view bytes, bool complete, std::size_t* used);

}  // namespace app::tui
