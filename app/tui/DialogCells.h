// Where a dialog's controls fall in a terminal: a dialog unit is a quarter of a cell across and
// an eighth down, so the 320 x 200 main dialog fills 80 x 25. A list box keeps its height; every
// other control takes the one row its middle falls in. The dialog's top row is its title bar.
#pragma once

#include "app/dialogs/DialogTemplates.h"
#include "app/tui/Screen.h"

namespace app::tui {

inline constexpr int kTerminalColumns = 80;
inline constexpr int kTerminalRows = 25;

// The control's cells, relative to the dialog's top left cell.
CellRect controlCells(const ControlTemplate& control);
// The dialog's cells, placed in the middle of a screen of that size (at most that size).
CellRect dialogCells(const DialogTemplate& dialog, int screenColumns, int screenRows);

}  // namespace app::tui
