// The main dialog as both front ends run it: a command that reaches a plotter runs as an
// operation on a worker thread (OperationRunner) with its progress on the status line, while the
// front end keeps the dialog alive; choosing a file runs at once. A close asked for meanwhile
// waits for the operation's end.
#pragma once

#include <string>

#include "app/AppState.h"
#include "app/ForwardedDialog.h"
#include "app/MainDialog.h"
#include "app/OperationRunner.h"

namespace app {

// What the status line says while a close waits for the operation.
inline constexpr const char kCloseWaitsText[] =
    "The program will close when the plotter has its data ...";

class LiveDialog {
 public:
  // view and prompter are the front end's own, used on its thread only.
  LiveDialog(OperationHost& host, AppState& state, DialogView& view, prompt::Prompter& prompter);

  MainDialog& dialog() { return dialog_; }
  OperationRunner& runner() { return runner_; }
  bool busy() const { return runner_.busy(); }

  // A command from a control, through the edition's message map (the front end's thread, no
  // operation running); false when the map has none.
  bool command(int controlId, int notification);
  // Whether command() runs that control's command as an operation (choosing a file does not).
  static bool runsOperation(int controlId);
  // A close asked for while an operation runs: the status line says so, and closeRequested()
  // tells the front end to close once the operation has ended.
  void requestClose();
  bool closeRequested() const { return runner_.closeRequested(); }

 private:
  void showStatus(const std::string& text);

  OperationRunner runner_;
  DialogView& view_;
  ForwardedView forwardedView_;
  ForwardedPrompter forwardedPrompter_;
  MainDialog dialog_;
};

}  // namespace app
