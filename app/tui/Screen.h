// A terminal's worth of character cells to draw a dialog into: text, frames and highlighted
// runs, then written out as text (tests compare it) or as escape sequences (the terminal).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app::tui {

enum class Look { Normal, Highlighted, Underlined, Title };

struct Cell {
  char32_t glyph = U' ';
  Look look = Look::Normal;
};

struct CellRect {
  int column, row, columns, rows;
};

class Screen {
 public:
  Screen(int columns, int rows);

  int columns() const { return columns_; }
  int rows() const { return rows_; }
  void clear();
  // Text from (column, row), cut at width cells; bytes that are not printable ASCII show as '?'.
  void text(int column, int row, std::string_view text, int width, Look look = Look::Normal);
  // A run of cells of one glyph and look.
  void fill(CellRect area, char32_t glyph, Look look = Look::Normal);
  // A single-line frame around the area's edge, with a title in its top line.
  void frame(CellRect area, std::string_view title = {});
  // A frame whose inside is cleared, for a box drawn over what is there.
  void box(CellRect area, std::string_view title);

  // The cells as lines of UTF-8 text, without looks.
  std::string lines() const;
  // The whole screen as escape sequences from the top left corner.
  std::string escapeSequences() const;

 private:
  Cell* at(int column, int row);

  int columns_, rows_;
  std::vector<Cell> cells_;
};

// A text cut to width cells keeping its end, as a path-ellipsis label does: "..." and the tail.
std::string elidedFront(const std::string& text, int width);
// An edit field of width cells: the text's end with room for one more character, the rest
// filled with '_'.
std::string fieldText(const std::string& text, int width);

}  // namespace app::tui
