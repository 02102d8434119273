#include "app/tui/Screen.h"

#include <algorithm>

#include "os/Utf8.h"

namespace app::tui {
namespace {

const char* sgrOf(Look look) {
  switch (look) {
    case Look::Highlighted:
      return "\x1b[0;7m";
    case Look::Underlined:
      return "\x1b[0;4m";
    case Look::Title:
      return "\x1b[0;1;7m";
    default:
      return "\x1b[0m";
  }
}

}  // namespace

Screen::Screen(int columns, int rows)
    : columns_(columns), rows_(rows), cells_(static_cast<std::size_t>(columns * rows)) {}

Cell* Screen::at(int column, int row) {
  if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return nullptr;
  return &cells_[static_cast<std::size_t>(row * columns_ + column)];
}

void Screen::clear() { cells_.assign(cells_.size(), Cell{}); }

void Screen::text(int column, int row, std::string_view text, int width, Look look) {
  for (int i = 0; i < width && i < static_cast<int>(text.size()); ++i) {
    const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
    if (Cell* cell = at(column + i, row)) *cell = {byte >= 0x20 && byte < 0x7F ? byte : U'?', look};
  }
}

void Screen::fill(CellRect area, char32_t glyph, Look look) {
  for (int row = area.row; row < area.row + area.rows; ++row) {
    for (int column = area.column; column < area.column + area.columns; ++column) {
      if (Cell* cell = at(column, row)) *cell = {glyph, look};
    }
  }
}

void Screen::frame(CellRect area, std::string_view title) {
  const int right = area.column + area.columns - 1, bottom = area.row + area.rows - 1;
  fill({area.column + 1, area.row, area.columns - 2, 1}, U'─');
  fill({area.column + 1, bottom, area.columns - 2, 1}, U'─');
  fill({area.column, area.row + 1, 1, area.rows - 2}, U'│');
  fill({right, area.row + 1, 1, area.rows - 2}, U'│');
  fill({area.column, area.row, 1, 1}, U'┌');
  fill({right, area.row, 1, 1}, U'┐');
  fill({area.column, bottom, 1, 1}, U'└');
  fill({right, bottom, 1, 1}, U'┘');
  if (!title.empty()) {
    const std::string shown = " " + std::string(title) + " ";
    text(area.column + 2, area.row, shown, area.columns - 4, Look::Title);
  }
}

void Screen::box(CellRect area, std::string_view title) {
  fill(area, U' ');
  frame(area, title);
}

std::string Screen::lines() const {
  std::string out;
  for (int row = 0; row < rows_; ++row) {
    std::string line;
    for (int column = 0; column < columns_; ++column) {
      os::appendUtf8(line, cells_[static_cast<std::size_t>(row * columns_ + column)].glyph);
    }
    out += line.substr(0, line.find_last_not_of(' ') + 1) + "\n";
  }
  return out;
}

std::string Screen::escapeSequences() const {
  std::string out = "\x1b[H";
  for (int row = 0; row < rows_; ++row) {
    out += "\x1b[" + std::to_string(row + 1) + ";1H";
    Look current = Look::Normal;
    out += sgrOf(current);
    for (int column = 0; column < columns_; ++column) {
      const Cell& cell = cells_[static_cast<std::size_t>(row * columns_ + column)];
      if (cell.look != current) out += sgrOf(current = cell.look);
      os::appendUtf8(out, cell.glyph);
    }
  }
  return out + "\x1b[0m";
}

std::string elidedFront(const std::string& text, int width) {
  if (static_cast<int>(text.size()) <= width || width <= 3) return text;
  return "..." + text.substr(text.size() - static_cast<std::size_t>(width - 3));
}

std::string fieldText(const std::string& text, int width) {
  const std::size_t room = static_cast<std::size_t>(std::max(0, width - 1));
  std::string field = text.substr(text.size() > room ? text.size() - room : 0);
  field.resize(static_cast<std::size_t>(std::max(0, width)), '_');
  return field;
}

}  // namespace app::tui
