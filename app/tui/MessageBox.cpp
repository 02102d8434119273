#include "app/tui/MessageBox.h"

#include <algorithm>

namespace app::tui {
namespace {

constexpr int kMaxTextColumns = 64;
constexpr int kMarkColumns = 4;

const char* markOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::Error:
      return "(X)";
    case BoxKind::Question:
      return "/!\\";
    default:
      return "(i)";
  }
}

// The text's lines, each cut into pieces of at most width columns at a blank where there is one.
std::vector<std::string> wrapped(const std::string& text, int width) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    while (static_cast<int>(line.size()) > width) {
      std::size_t cut = line.rfind(' ', static_cast<std::size_t>(width));
      if (cut == std::string::npos || cut == 0) cut = static_cast<std::size_t>(width);
      lines.push_back(line.substr(0, cut));
      line.erase(0, line[cut] == ' ' ? cut + 1 : cut);
    }
    lines.push_back(line);
    if (end >= text.size()) break;
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string buttonRow(const MessageBox& box, std::vector<int>* starts) {
  std::string row;
  for (const std::string& button : box.buttons) {
    if (!row.empty()) row += "  ";
    starts->push_back(static_cast<int>(row.size()));
    row += "[ " + button + " ]";
  }
  return row;
}

}  // namespace

void drawMessageBox(Screen& screen, const MessageBox& box) {
  const int textColumns = std::min(kMaxTextColumns, screen.columns() - 6 - kMarkColumns);
  const std::vector<std::string> lines = wrapped(box.text, textColumns);
  std::vector<int> starts;
  const std::string buttons = buttonRow(box, &starts);
  int inside = static_cast<int>(buttons.size());
  for (const std::string& line : lines) {
    inside = std::max(inside, kMarkColumns + static_cast<int>(line.size()));
  }
  inside = std::max(inside, static_cast<int>(box.caption.size()) + 4);
  const int columns = inside + 4;
  const int rows = static_cast<int>(lines.size()) + 4;
  const CellRect area{(screen.columns() - columns) / 2, (screen.rows() - rows) / 2, columns, rows};
  screen.box(area, box.caption);
  screen.text(area.column + 2, area.row + 1, markOf(box.kind), kMarkColumns);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    screen.text(area.column + 2 + kMarkColumns, area.row + 1 + static_cast<int>(i), lines[i],
                inside - kMarkColumns);
  }
  const int buttonsAt = area.column + (columns - static_cast<int>(buttons.size())) / 2;
  const int buttonRowAt = area.row + rows - 2;
  screen.text(buttonsAt, buttonRowAt, buttons, static_cast<int>(buttons.size()));
  if (box.chosen >= 0 && box.chosen < static_cast<int>(box.buttons.size())) {
    const auto chosen = static_cast<std::size_t>(box.chosen);
    const std::string face = "[ " + box.buttons[chosen] + " ]";
    screen.text(buttonsAt + starts[chosen], buttonRowAt, face, static_cast<int>(face.size()),
                Look::Highlighted);
  }
}

}  // namespace app::tui
