// The main dialog in a terminal: the dialog drawn from its template, keys turned into the
// commands a mouse gives on Windows (Tab and Shift-Tab through the tab order, Enter or Space on
// a button, arrows in the list, typing into the serial field, F1 or Alt-Space for About, Esc,
// Ctrl-Q or Ctrl-C to close), message boxes and the file-open dialog over it. A command that
// reaches a plotter runs as an operation (LiveDialog) with the dialog kept on the screen
// (TerminalPump); a close asked for meanwhile closes the dialog once the operation has ended.
#pragma once

#include <functional>

#include "app/LiveDialog.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/machine/ProgramMachine.h"
#include "app/tui/MessageBox.h"
#include "app/tui/ModalUi.h"
#include "app/tui/Terminal.h"
#include "app/tui/TuiDialogView.h"
#include "prompt/Prompter.h"

namespace app::tui {

class TerminalDialog : public ModalUi, public prompt::Prompter {
 public:
  TerminalDialog(Terminal& terminal, const EditionDialogs& dialogs, const char* programName);

  TuiDialogView& view() { return view_; }
  // Takes keys until the user closes the dialog, then closes it as the close command does.
  void run(LiveDialog& live, ProgramMachine& machine);
  // The dialog shown again: whole, or only where it differs from what the terminal shows.
  void redraw(bool whole);

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  void showInformation(std::string_view text) override;
  std::optional<std::string> chooseFile(std::span<const FileFilter> filters) override;
  void showAbout() override;

 private:
  // The dialog with an overlay drawn over it, to be shown (and then the next key).
  Screen drawn(const std::function<void(Screen&)>& overlay = {});
  void show(const std::function<void(Screen&)>& overlay = {});
  Key showAndRead(const std::function<void(Screen&)>& overlay = {});
  int ask(MessageBox box);
  // A command given to the handlers: one that reaches a plotter runs as an operation, after
  // which the keys typed meanwhile are dropped. False when a close was asked for meanwhile.
  bool command(LiveDialog& live, ProgramMachine& machine, int controlId, int notification);
  // What a key does to the dialog; false when it closes it.
  bool press(LiveDialog& live, ProgramMachine& machine, const Key& key);

  Terminal& terminal_;
  const EditionDialogs& dialogs_;
  const char* programName_;
  TuiDialogView view_;
};

}  // namespace app::tui
