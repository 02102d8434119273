// The main dialog in a terminal: the dialog drawn from its template, keys turned into the
// commands a mouse gives on Windows (Tab and Shift-Tab through the tab order, Enter or Space on
// a button, arrows in the list, typing into the serial field, F1 or Alt-Space for About, Esc,
// Ctrl-Q or Ctrl-C to close), message boxes and the file-open dialog over it.
#pragma once

#include <functional>

#include "app/MainDialog.h"
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
  // Takes keys until the user closes the dialog.
  void run(MainDialog& dialog, ProgramMachine& machine);
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
  // A command given to the handlers, the status line saying what the program waits for.
  void command(MainDialog& dialog, ProgramMachine& machine, int controlId, int notification);
  // What a key does to the dialog; false when it closes it.
  bool press(MainDialog& dialog, ProgramMachine& machine, const Key& key);

  Terminal& terminal_;
  const EditionDialogs& dialogs_;
  const char* programName_;
  TuiDialogView view_;
};

}  // namespace app::tui
