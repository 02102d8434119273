// The terminal the dialog runs in: raw keys, the alternate screen, the cursor hidden, and all of
// it restored however the program ends: on return, and on a signal that ends it.
#pragma once

#include <memory>
#include <string>

#include "app/tui/Keys.h"
#include "app/tui/Screen.h"

namespace app::tui {

class Terminal {
 public:
  // Null with *error when standard input or output is not a terminal, or the terminal is
  // smaller than the columns and rows asked for.
  static std::unique_ptr<Terminal> open(int minColumns, int minRows, std::string* error);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  int columns() const { return columns_; }
  int rows() const { return rows_; }
  void show(const Screen& screen);
  // The next key; Redraw when the terminal changed its size meanwhile (columns() and rows()
  // then say the new one).
  Key readKey();

 private:
  Terminal(int columns, int rows) : columns_(columns), rows_(rows) {}
  int readMore(int timeoutMs);

  int columns_, rows_;
  std::string pending_;
};

}  // namespace app::tui
