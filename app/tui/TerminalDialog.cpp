#include "app/tui/TerminalDialog.h"

#include "app/dialogs/ControlIds.h"
#include "app/tui/DialogCells.h"
#include "app/tui/FileBrowser.h"

namespace app::tui {
namespace {

// Page Up and Page Down move by the list's height; Home and End to its ends.
constexpr int kListPage = 6;
constexpr int kListEnd = 1 << 20;

bool isListKey(KeyCode code) {
  return code == KeyCode::Up || code == KeyCode::Down || code == KeyCode::PageUp ||
         code == KeyCode::PageDown || code == KeyCode::Home || code == KeyCode::End;
}

int listStep(KeyCode code) {
  switch (code) {
    case KeyCode::Up:
      return -1;
    case KeyCode::Down:
      return 1;
    case KeyCode::PageUp:
      return -kListPage;
    case KeyCode::PageDown:
      return kListPage;
    case KeyCode::Home:
      return -kListEnd;
    default:
      return kListEnd;
  }
}

}  // namespace

TerminalDialog::TerminalDialog(Terminal& terminal, const EditionDialogs& dialogs,
                               const char* programName)
    : terminal_(terminal),
      dialogs_(dialogs),
      programName_(programName),
      view_(dialogs.main, *this) {}

Screen TerminalDialog::drawn(const std::function<void(Screen&)>& overlay) {
  Screen screen(terminal_.columns(), terminal_.rows());
  view_.placeIn(terminal_.columns(), terminal_.rows());
  view_.draw(screen);
  if (overlay) overlay(screen);
  return screen;
}

void TerminalDialog::show(const std::function<void(Screen&)>& overlay) {
  terminal_.show(drawn(overlay));
}

void TerminalDialog::redraw(bool whole) {
  if (whole) {
    show();
  } else {
    terminal_.showChanges(drawn());
  }
}

Key TerminalDialog::showAndRead(const std::function<void(Screen&)>& overlay) {
  for (;;) {
    show(overlay);
    const Key key = terminal_.readKey();
    if (key.code != KeyCode::Redraw) return key;
  }
}

// Keys typed while the program worked never answer a box.
int TerminalDialog::ask(MessageBox box) {
  terminal_.flushInput();
  const int last = static_cast<int>(box.buttons.size()) - 1;
  for (;;) {
    const Key key = showAndRead([&box](Screen& screen) { drawMessageBox(screen, box); });
    const char letter = static_cast<char>(key.character | 0x20);
    if (key.code == KeyCode::Enter || key.code == KeyCode::Space) return box.chosen;
    if (key.code == KeyCode::Left || key.code == KeyCode::BackTab) {
      box.chosen = box.chosen > 0 ? box.chosen - 1 : last;
    } else if (key.code == KeyCode::Right || key.code == KeyCode::Tab) {
      box.chosen = box.chosen < last ? box.chosen + 1 : 0;
    } else if (key.code == KeyCode::Character && last == 1 && (letter == 'y' || letter == 'n')) {
      return letter == 'y' ? 0 : 1;
    } else if ((key.code == KeyCode::Escape || key.code == KeyCode::Quit) && last == 0) {
      return 0;
    } else if (key.code == KeyCode::Quit) {
      return last;  // a question cut short is answered No
    }
  }
}

void TerminalDialog::showError(std::string_view text) {
  ask({programName_, BoxKind::Error, std::string(text), {"OK"}});
}

bool TerminalDialog::askYesNo(std::string_view text) {
  return ask({programName_, BoxKind::Question, std::string(text), {"Yes", "No"}}) == 0;
}

void TerminalDialog::showInformation(std::string_view text) {
  ask({programName_, BoxKind::Information, std::string(text), {"OK"}});
}

std::optional<std::string> TerminalDialog::chooseFile(std::span<const FileFilter> filters) {
  FileBrowser browser(filters);
  for (;;) {
    const Key key = showAndRead([&browser](Screen& screen) { browser.draw(screen); });
    switch (browser.press(key)) {
      case FileBrowser::Outcome::Chosen:
        return browser.chosen();
      case FileBrowser::Outcome::Cancelled:
        return std::nullopt;
      case FileBrowser::Outcome::Going:
        break;
    }
  }
}

void TerminalDialog::showAbout() {
  TuiDialogView about(dialogs_.about, *this);
  for (;;) {
    const Key key = showAndRead([&about](Screen& screen) {
      about.placeIn(screen.columns(), screen.rows());
      const CellRect cells = about.cells();
      screen.box({cells.column - 1, cells.row - 1, cells.columns + 2, cells.rows + 2}, "");
      about.draw(screen);
    });
    if (key.code == KeyCode::Enter || key.code == KeyCode::Space || key.code == KeyCode::Escape ||
        key.code == KeyCode::Quit) {
      return;
    }
  }
}

bool TerminalDialog::command(LiveDialog& live, ProgramMachine& machine, int controlId,
                             int notification) {
  machine.followUserTime();
  if (!LiveDialog::runsOperation(controlId)) {
    live.command(controlId, notification);
    return true;
  }
  {
    const Terminal::CloseSignals held;
    live.command(controlId, notification);
  }
  terminal_.flushInput();
  return !live.closeRequested();
}

bool TerminalDialog::press(LiveDialog& live, ProgramMachine& machine, const Key& key) {
  const ControlTemplate& focused = view_.focused();
  switch (key.code) {
    case KeyCode::Escape:
    case KeyCode::Quit:
      return false;
    case KeyCode::Help:
    case KeyCode::SystemMenu:
      machine.followUserTime();
      live.dialog().onSysCommand(IDM_ABOUTBOX);
      return true;
    case KeyCode::Tab:
    case KeyCode::Right:
      view_.moveFocus(1);
      return true;
    case KeyCode::BackTab:
    case KeyCode::Left:
      view_.moveFocus(-1);
      return true;
    case KeyCode::Enter:
    case KeyCode::Space:
      if (focused.kind == ControlKind::Button) {
        return command(live, machine, focused.id, kButtonClicked);
      }
      if (key.code == KeyCode::Space) view_.type(' ');
      return true;
    case KeyCode::Backspace:
      view_.eraseLast();
      return true;
    case KeyCode::Character:
      view_.type(key.character);
      return true;
    default:
      break;
  }
  if (isListKey(key.code) && focused.kind == ControlKind::ListBox &&
      view_.moveSelection(listStep(key.code))) {
    return command(live, machine, IDC_PLOTTER_LIST, kSelectionChange);
  }
  return true;
}

// A close asked for after the last key (a Ctrl-C dropped before a box, a signal as an operation
// ended) closes as Esc does: the plotter link first.
void TerminalDialog::run(LiveDialog& live, ProgramMachine& machine) {
  while (!terminal_.takeCloseAsked() && press(live, machine, showAndRead())) {
  }
  live.dialog().onSysCommand(kCloseCommand);
}

}  // namespace app::tui
