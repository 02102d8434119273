// The terminal dialogs drawn from the templates into an 80 x 25 grid, against golden text files
// beside this one: a change of layout shows up as a readable diff. VELKOR_UPDATE_GOLDEN=1 writes
// the files anew from what is drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/dialogs/DialogTemplates.h"
#include "app/tui/DialogCells.h"
#include "app/tui/MessageBox.h"
#include "app/tui/TuiDialogView.h"
#include "tests/tui/NoModalUi.h"

namespace velkor::test {
namespace {

using app::tui::Screen;

void expectGolden(const Screen& screen, const std::string& name) {
  const std::string path = std::string(VELKOR_TUI_GOLDEN_DIR) + "/" + name;
  if (std::getenv("VELKOR_UPDATE_GOLDEN") != nullptr) std::ofstream(path) << screen.lines();
  std::ifstream file(path);
  ASSERT_TRUE(file) << "no golden file " << path;
  std::stringstream golden;
  golden << file.rdbuf();
  EXPECT_EQ(screen.lines(), golden.str()) << "the drawing differs from " << path;
}

// A dialog as it starts: the template's texts, the About item, plotters in the list.
Screen drawn(discovery::Edition edition, const app::tui::MessageBox* box = nullptr) {
  NoModalUi modal;
  const app::EditionDialogs& dialogs = app::editionDialogs(edition);
  app::tui::TuiDialogView view(dialogs.main, modal);
  view.appendAboutItem(dialogs.aboutItem);
  view.setListLines({"ZK200 A4", "ZK400 A3", "Velkor Classic"});
  view.selectListLine(0);
  Screen screen(app::tui::kTerminalColumns, app::tui::kTerminalRows);
  view.draw(screen);
  if (box != nullptr) drawMessageBox(screen, *box);
  return screen;
}

TEST(TerminalRendering, BothDialogsAndAMessageBoxAsTheGoldenFilesHaveThem) {
  expectGolden(drawn(discovery::Edition::Full), "velkor.txt");
  expectGolden(drawn(discovery::Edition::UpdateOnly), "velkorflash.txt");
  const app::tui::MessageBox question{
      "Velkor",
      app::tui::BoxKind::Question,
      "Manufacturer of firmware update file and firmware in device are different\nContinue ?",
      {"Yes", "No"}};
  expectGolden(drawn(discovery::Edition::Full, &question), "velkor-question.txt");
}

TEST(TerminalRendering, TheMainDialogFillsTheTerminalAndEveryControlFitsInIt) {
  for (discovery::Edition edition : {discovery::Edition::Full, discovery::Edition::UpdateOnly}) {
    const app::DialogTemplate& main = app::editionDialogs(edition).main;
    const app::tui::CellRect dialog = app::tui::dialogCells(main, 80, 25);
    EXPECT_EQ(dialog.columns, 80);
    for (const app::ControlTemplate& control : main.controls) {
      const app::tui::CellRect cells = app::tui::controlCells(control);
      EXPECT_GE(cells.row, 1) << control.id << " would cover the title bar";
      EXPECT_LE(cells.column + cells.columns, dialog.columns) << control.id;
      EXPECT_LE(cells.row + cells.rows, dialog.rows) << control.id;
    }
  }
  EXPECT_EQ(app::tui::dialogCells(app::editionDialogs(discovery::Edition::Full).main, 80, 25).rows,
            25);
}

TEST(TerminalRendering, ALongListScrollsToItsSelectionAndMarksWhatIsHidden) {
  NoModalUi modal;
  app::tui::TuiDialogView view(app::editionDialogs(discovery::Edition::Full).main, modal);
  std::vector<std::string> lines;
  for (int i = 0; i < 10; ++i) lines.push_back("Plotter " + std::to_string(i));
  view.setListLines(lines);
  view.selectListLine(9);
  Screen screen(80, 25);
  view.draw(screen);
  const std::string text = screen.lines();
  EXPECT_NE(text.find(">Plotter 9"), std::string::npos) << text;
  EXPECT_EQ(text.find("Plotter 3"), std::string::npos) << "the list shows six lines";
  EXPECT_NE(text.find("↑"), std::string::npos);
  EXPECT_FALSE(view.moveSelection(1)) << "the last line stays the last";
  EXPECT_TRUE(view.moveSelection(-100));
  EXPECT_EQ(view.currentListLine(), 0);
}

TEST(TerminalRendering, AMessageBoxWrapsALongLineAtABlank) {
  Screen screen(80, 25);
  const std::string text(50, 'a');
  drawMessageBox(screen, {"Velkor", app::tui::BoxKind::Error, text + " " + text, {"OK"}});
  const std::string drawnText = screen.lines();
  EXPECT_NE(drawnText.find("(X) " + text + " "), std::string::npos) << drawnText;
  EXPECT_NE(drawnText.find("    " + text + " "), std::string::npos) << drawnText;
  EXPECT_NE(drawnText.find("[ OK ]"), std::string::npos);
}

}  // namespace
}  // namespace velkor::test
