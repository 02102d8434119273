#include "app/tui/TuiDialogView.h"

#include <algorithm>
#include <cctype>

#include "app/dialogs/ControlIds.h"
#include "app/tui/DialogCells.h"

namespace app::tui {
namespace {

bool takesFocus(const ControlTemplate& control) { return (control.style & WS_TABSTOP) != 0; }

std::string withoutAccelerator(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c != '&') shown += c;
  }
  return shown;
}

// A path too long for its cells keeps its end, as a path-ellipsis label does.
std::string fitted(const std::string& text, const ControlTemplate& control, int width) {
  return (control.style & SS_PATHELLIPSIS) != 0 ? elidedFront(text, width) : text;
}

// "[ text ]" across the button's cells, the text in the middle.
std::string buttonFace(const std::string& text, int width) {
  const int inside = std::max(0, width - 2);
  const std::string cut = text.substr(0, static_cast<std::size_t>(inside));
  const int left = (inside - static_cast<int>(cut.size())) / 2;
  std::string face = "[" + std::string(static_cast<std::size_t>(left), ' ') + cut;
  face.resize(static_cast<std::size_t>(width - 1), ' ');
  return face + "]";
}

}  // namespace

TuiDialogView::TuiDialogView(const DialogTemplate& layout, ModalUi& modal)
    : layout_(layout), modal_(modal) {
  for (const ControlTemplate& control : layout_.controls) {
    if (control.id != IDC_NONE) texts_[control.id] = control.text;
  }
  while (focus_ < layout_.controls.size() && !takesFocus(layout_.controls[focus_])) ++focus_;
  placeIn(kTerminalColumns, kTerminalRows);
}

void TuiDialogView::setControlText(int controlId, std::string_view text) {
  texts_[controlId] = text;
}

std::string TuiDialogView::controlText(int controlId, std::size_t maxChars) {
  return texts_[controlId].substr(0, maxChars);
}

void TuiDialogView::setListLines(const std::vector<std::string>& lines) {
  lines_ = lines;
  selection_ = -1;
  listTop_ = 0;
}

void TuiDialogView::selectListLine(int index) {
  selection_ = index >= 0 && index < static_cast<int>(lines_.size()) ? index : -1;
  if (selection_ < 0) return;
  listTop_ = std::clamp(listTop_, selection_ - listRows() + 1, selection_);
}

int TuiDialogView::listRows() const {
  const ControlTemplate* list = layout_.control(IDC_PLOTTER_LIST);
  return list != nullptr ? controlCells(*list).rows - 2 : 1;
}

void TuiDialogView::moveFocus(int step) {
  const std::size_t count = layout_.controls.size();
  for (std::size_t tried = 0; tried < count; ++tried) {
    focus_ = (focus_ + count + static_cast<std::size_t>(step)) % count;
    if (takesFocus(layout_.controls[focus_])) {
      allSelected_ = layout_.controls[focus_].kind == ControlKind::Edit;
      return;
    }
  }
}

const ControlTemplate& TuiDialogView::focused() const { return layout_.controls[focus_]; }

bool TuiDialogView::moveSelection(int step) {
  if (lines_.empty()) return false;
  const int from = selection_;
  selectListLine(
      std::clamp(selection_ < 0 ? 0 : selection_ + step, 0, static_cast<int>(lines_.size()) - 1));
  return selection_ != from;
}

bool TuiDialogView::type(char character) {
  const ControlTemplate& control = focused();
  if (control.kind != ControlKind::Edit) return false;
  const auto byte = static_cast<unsigned char>(character);
  if (allSelected_) texts_[control.id].clear();
  allSelected_ = false;
  texts_[control.id] +=
      (control.style & ES_UPPERCASE) != 0 ? static_cast<char>(std::toupper(byte)) : character;
  return true;
}

bool TuiDialogView::eraseLast() {
  const ControlTemplate& control = focused();
  if (control.kind != ControlKind::Edit) return false;
  std::string& text = texts_[control.id];
  if (allSelected_) text.clear();
  if (!text.empty()) text.pop_back();
  allSelected_ = false;
  return true;
}

void TuiDialogView::placeIn(int screenColumns, int screenRows) {
  cells_ = dialogCells(layout_, screenColumns, screenRows);
}

void TuiDialogView::draw(Screen& screen) const {
  screen.fill(cells_, U' ');
  screen.fill({cells_.column, cells_.row, cells_.columns, 1}, U' ', Look::Title);
  screen.text(cells_.column + 1, cells_.row, layout_.title, cells_.columns / 2, Look::Title);
  const std::string keys =
      (aboutItem_.empty() ? "" : "F1 " + withoutAccelerator(aboutItem_) + "  ") + "Esc Close";
  const int keysAt = cells_.column + cells_.columns - 1 - static_cast<int>(keys.size());
  screen.text(keysAt, cells_.row, keys, static_cast<int>(keys.size()), Look::Title);
  for (const ControlTemplate& control : layout_.controls) drawControl(screen, control);
}

void TuiDialogView::drawControl(Screen& screen, const ControlTemplate& control) const {
  CellRect area = controlCells(control);
  area.column += cells_.column;
  area.row += cells_.row;
  const bool hasFocus = &control == &focused();
  const auto text = texts_.find(control.id);
  const std::string shown = text != texts_.end() ? text->second : control.text;
  switch (control.kind) {
    case ControlKind::ListBox:
      return drawList(screen, area, hasFocus);
    case ControlKind::Edit:
      return screen.text(area.column, area.row, fieldText(shown, area.columns), area.columns,
                         hasFocus ? Look::Highlighted : Look::Underlined);
    case ControlKind::Button:
      return screen.text(area.column, area.row, buttonFace(shown, area.columns), area.columns,
                         hasFocus ? Look::Highlighted : Look::Normal);
    case ControlKind::Icon:
      return screen.text(area.column, area.row, "[V]", area.columns, Look::Title);
    case ControlKind::Static:
      return screen.text(area.column, area.row, fitted(shown, control, area.columns), area.columns);
  }
}

// The list's frame with the lines that fit, the selection highlighted, marks where it scrolls.
void TuiDialogView::drawList(Screen& screen, CellRect area, bool focused) const {
  screen.frame(area);
  const int rows = area.rows - 2;
  for (int i = 0; i < rows && listTop_ + i < static_cast<int>(lines_.size()); ++i) {
    const int line = listTop_ + i;
    const bool selected = line == selection_;
    const std::string shown =
        (selected && focused ? ">" : " ") + lines_[static_cast<std::size_t>(line)];
    screen.fill({area.column + 1, area.row + 1 + i, area.columns - 2, 1}, U' ',
                selected ? Look::Highlighted : Look::Normal);
    screen.text(area.column + 1, area.row + 1 + i, shown, area.columns - 2,
                selected ? Look::Highlighted : Look::Normal);
  }
  const int right = area.column + area.columns - 1;
  if (listTop_ > 0) screen.fill({right, area.row + 1, 1, 1}, U'↑');
  if (listTop_ + rows < static_cast<int>(lines_.size())) {
    screen.fill({right, area.row + area.rows - 2, 1, 1}, U'↓');
  }
}

}  // namespace app::tui
