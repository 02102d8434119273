// A message box of the terminal dialog: its caption, a mark for its kind (error, question,
// notice), the text wrapped to fit, and its buttons, drawn framed over the dialog.
#pragma once

#include <string>
#include <vector>

#include "app/tui/Screen.h"

namespace app::tui {

enum class BoxKind { Error, Question, Information };

struct MessageBox {
  std::string caption;
  BoxKind kind;
  std::string text;
  std::vector<std::string> buttons;  // "OK", or "Yes" and "No"
  int chosen = 0;                    // the button Enter presses
};

// The box in the middle of the screen.
void drawMessageBox(Screen& screen, const MessageBox& box);

}  // namespace app::tui
