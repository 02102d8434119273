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
  // The same on the descriptors of another terminal (the tests' pseudo-terminal).
  static std::unique_ptr<Terminal> open(int input, int output, int minColumns, int minRows,
                                        std::string* error);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  int columns() const { return columns_; }
  int rows() const { return rows_; }
  // Writes the screen out whole.
  void show(const Screen& screen);
  // Writes the screen out when it differs from the one shown last.
  void showChanges(const Screen& screen);
  // The next key; Redraw when the terminal changed its size meanwhile (columns() and rows()
  // then say the new one).
  Key readKey();

  // The descriptor that keys come in on, for a wait on it among others; -1 once the terminal
  // has gone (poll passes over it).
  int input() const { return ended_ ? -1 : input_; }
  // Whether the terminal changed its size since last asked (columns() and rows() then say the
  // new one).
  bool resized();
  // Drops every key typed so far: the bytes read and not yet taken, and those the terminal
  // still holds. A Ctrl-C among them, or the terminal gone, is a close asked for.
  void flushInput();
  // Whether a close was asked for since last asked: by a key flushInput() dropped, or by
  // SIGINT, SIGTERM or SIGHUP while a CloseSignals lived.
  bool takeCloseAsked();

  // While it lives, SIGINT, SIGTERM and SIGHUP do not end the program but ask for a close, so
  // that they cannot cut an operation short; outside it they end the program as ever.
  class CloseSignals {
   public:
    CloseSignals();
    ~CloseSignals();
    CloseSignals(const CloseSignals&) = delete;
    CloseSignals& operator=(const CloseSignals&) = delete;
  };

 private:
  Terminal(int input, int output, int columns, int rows)
      : input_(input), output_(output), columns_(columns), rows_(rows) {}
  int readMore(int timeoutMs);

  int input_, output_;
  int columns_, rows_;
  std::string pending_;
  std::string shown_;  // the escape sequences written last
  bool ended_ = false;
  bool closeTyped_ = false;
};

}  // namespace app::tui
