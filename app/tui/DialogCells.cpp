#include "app/tui/DialogCells.h"

#include <algorithm>

namespace app::tui {

CellRect controlCells(const ControlTemplate& control) {
  const int column = (control.x + 2) / 4;
  const int columns = std::max(1, (control.width + 2) / 4);
  if (control.kind == ControlKind::ListBox) {
    return {column, (control.y + 4) / 8, columns, std::max(3, (control.height + 4) / 8)};
  }
  return {column, (control.y + control.height / 2) / 8, columns, 1};
}

CellRect dialogCells(const DialogTemplate& dialog, int screenColumns, int screenRows) {
  const int columns = std::min(screenColumns, (dialog.width + 3) / 4);
  const int rows = std::min(screenRows, (dialog.height + 7) / 8);
  return {(screenColumns - columns) / 2, (screenRows - rows) / 2, columns, rows};
}

}  // namespace app::tui
