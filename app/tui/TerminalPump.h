// What the terminal dialog's thread does while an operation runs on its worker: it shows what the
// operation changed in the dialog (its progress on the status line, the list, the fields), and
// the dialog again where the terminal changed its size; it drops every key typed meanwhile, but
// takes a Ctrl-C, and SIGINT, SIGTERM or SIGHUP, as a close asked for; and it wakes to run the
// calls the operation makes into the dialog.
#pragma once

#include "app/LiveDialog.h"
#include "app/tui/Terminal.h"
#include "app/tui/TerminalDialog.h"
#include "app/tui/WakePipe.h"

namespace app::tui {

class TerminalPump : public OperationHost {
 public:
  TerminalPump(Terminal& terminal, TerminalDialog& dialog, WakePipe wakePipe)
      : terminal_(terminal), dialog_(dialog), wakePipe_(std::move(wakePipe)) {}

  void attach(LiveDialog& live) { live_ = &live; }

  void wake() override { wakePipe_.wake(); }
  void pump() override;

 private:
  Terminal& terminal_;
  TerminalDialog& dialog_;
  WakePipe wakePipe_;
  LiveDialog* live_ = nullptr;
};

}  // namespace app::tui
