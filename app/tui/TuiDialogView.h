// The dialog view of the terminal front end: what each control of the template shows (texts,
// the list box's lines, selection and scrolling, the serial field being typed), which control has
// the focus, and the dialog drawn from all that.
#pragma once

#include <map>

#include "app/DialogView.h"
#include "app/dialogs/DialogTemplates.h"
#include "app/tui/ModalUi.h"
#include "app/tui/Screen.h"

namespace app::tui {

class TuiDialogView : public DialogView {
 public:
  TuiDialogView(const DialogTemplate& layout, ModalUi& modal);

  void setControlText(int controlId, std::string_view text) override;
  std::string controlText(int controlId, std::size_t maxChars) override;
  void setListLines(const std::vector<std::string>& lines) override;
  void selectListLine(int index) override;
  int currentListLine() override { return selection_; }
  void appendAboutItem(std::string_view text) override { aboutItem_ = text; }
  std::optional<std::string> chooseFile(std::span<const FileFilter> filters) override {
    return modal_.chooseFile(filters);
  }
  void showAbout() override { modal_.showAbout(); }

  // The focus moves to the next (step 1) or previous (step -1) control with a tab stop.
  void moveFocus(int step);
  const ControlTemplate& focused() const;
  // The list's selection moved by step lines (kept inside the list); false when it did not move.
  bool moveSelection(int step);
  // A character typed into the focused edit control (upper case where its style says so), or
  // the last one taken back; false when the focus is on no edit control. As in a Windows edit
  // control, the text is all selected when the focus comes to it: the first key replaces it.
  bool type(char character);
  bool eraseLast();

  // The dialog in its cells: title bar, controls, the focus shown.
  void draw(Screen& screen) const;
  CellRect cells() const { return cells_; }
  void placeIn(int screenColumns, int screenRows);
  const std::string& aboutItem() const { return aboutItem_; }

 private:
  void drawControl(Screen& screen, const ControlTemplate& control) const;
  void drawList(Screen& screen, CellRect area, bool focused) const;
  int listRows() const;

  const DialogTemplate& layout_;
  ModalUi& modal_;
  std::map<int, std::string> texts_;
  std::vector<std::string> lines_;
  int selection_ = -1;
  int listTop_ = 0;
  std::size_t focus_ = 0;  // index into the template's controls
  bool allSelected_ = false;
  std::string aboutItem_;
  CellRect cells_{};
};

}  // namespace app::tui
