// Keys as terminals send them, and what they do to the dialog: the tab order, the serial field.
#include <gtest/gtest.h>

#include "app/dialogs/ControlIds.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/tui/Keys.h"
#include "app/tui/TuiDialogView.h"
#include "tests/tui/NoModalUi.h"

namespace velkor::test {
namespace {

using app::tui::KeyCode;

KeyCode decoded(std::string_view bytes, bool complete = true, std::size_t expectUsed = 0) {
  std::size_t used = 0;
  const app::tui::Key key = app::tui::decodeKey(bytes, complete, &used);
  EXPECT_EQ(used, expectUsed == 0 ? bytes.size() : expectUsed) << "bytes: " << bytes.size();
  return key.code;
}

TEST(TerminalKeys, SequencesOfCommonTerminalsAndALoneEscape) {
  EXPECT_EQ(decoded("\x1b[A"), KeyCode::Up);
  EXPECT_EQ(decoded("\x1bOB"), KeyCode::Down);
  EXPECT_EQ(decoded("\x1b[Z"), KeyCode::BackTab);
  EXPECT_EQ(decoded("\x1bOP"), KeyCode::Help);
  EXPECT_EQ(decoded("\x1b[11~"), KeyCode::Help);
  EXPECT_EQ(decoded("\x1b "), KeyCode::SystemMenu);
  EXPECT_EQ(decoded("\r"), KeyCode::Enter);
  EXPECT_EQ(decoded("\x11"), KeyCode::Quit);
  EXPECT_EQ(decoded("\x7f"), KeyCode::Backspace);
  EXPECT_EQ(decoded("\x1b[1;5C"), KeyCode::Unknown) << "an unknown sequence is taken whole";
  EXPECT_EQ(decoded("\x1b[A\x1b[B", true, 3), KeyCode::Up) << "one key at a time";
  std::size_t used = 9;
  EXPECT_EQ(app::tui::decodeKey("\x1b", false, &used).code, KeyCode::None)
      << "more may follow an escape";
  EXPECT_EQ(used, 0u);
  EXPECT_EQ(decoded("\x1b"), KeyCode::Escape) << "nothing followed it";
  EXPECT_EQ(app::tui::decodeKey("\x1b[", false, &used).code, KeyCode::None);
}

TEST(TerminalFocus, TabGoesThroughTheTabStopsInOrderAndTypingIsUpperCase) {
  NoModalUi modal;
  app::tui::TuiDialogView view(app::editionDialogs(discovery::Edition::Full).main, modal);
  EXPECT_EQ(view.focused().id, IDC_PLOTTER_LIST);
  EXPECT_FALSE(view.type('a')) << "the list takes no typing";
  view.setControlText(IDC_SERIAL_NUMBER, "41200001");
  view.moveFocus(1);
  EXPECT_EQ(view.focused().id, IDC_SERIAL_NUMBER);
  for (char c : std::string("vk-40a")) EXPECT_TRUE(view.type(c));
  EXPECT_TRUE(view.eraseLast());
  EXPECT_EQ(view.controlText(IDC_SERIAL_NUMBER, 19), "VK-40") << "typing replaced the text";
  view.moveFocus(1);
  view.moveFocus(-1);
  EXPECT_TRUE(view.eraseLast());
  EXPECT_EQ(view.controlText(IDC_SERIAL_NUMBER, 19), "") << "Backspace took the selected text";
  view.moveFocus(1);
  EXPECT_EQ(view.focused().id, IDC_SEND_SERIAL_NUMBER);
  view.moveFocus(1);
  view.moveFocus(1);
  EXPECT_EQ(view.focused().id, IDC_READ_FIXTURES) << "labels take no focus";
  for (int i = 0; i < 4; ++i) view.moveFocus(-1);
  EXPECT_EQ(view.focused().id, IDC_PLOTTER_LIST);
  view.moveFocus(-1);
  EXPECT_EQ(view.focused().id, IDC_ABORT_PLOT) << "Shift-Tab wraps round";
}

}  // namespace
}  // namespace velkor::test
