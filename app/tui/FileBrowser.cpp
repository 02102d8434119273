#include "app/tui/FileBrowser.h"

#include <algorithm>
#include <string_view>

#include "discovery/CaseInsensitive.h"

namespace app::tui {
namespace {

constexpr int kColumns = 66;
constexpr int kRows = 20;
constexpr int kListRows = kRows - 9;

bool endsWithIgnoringCase(std::string_view name, std::string_view end) {
  return end.size() <= name.size() &&
         discovery::equalIgnoringCase(name.substr(name.size() - end.size()), end);
}

// "*.*" and "*" match every file; "*.cas" the files whose name ends in ".cas".
bool matches(const std::string& name, const char* pattern) {
  const std::string wanted = pattern;
  if (wanted == "*.*" || wanted == "*") return true;
  return wanted.rfind('*', 0) == 0 && endsWithIgnoringCase(name, wanted.substr(1));
}

}  // namespace

FileBrowser::FileBrowser(std::span<const FileFilter> filters) : filters_(filters) {
  std::error_code error;
  folder_ = std::filesystem::current_path(error);
  readFolder();
}

void FileBrowser::readFolder() {
  entries_.clear();
  if (folder_.has_relative_path()) entries_.push_back({"..", true});
  std::vector<Entry> files;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(folder_, error)) {
    std::error_code ignored;
    const std::string name = item.path().filename().string();
    if (item.is_directory(ignored)) {
      entries_.push_back({name, true});
    } else if (filters_.empty() || matches(name, filters_[filter_].pattern)) {
      files.push_back({name, false});
    }
  }
  const auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
  std::sort(entries_.begin() + (folder_.has_relative_path() ? 1 : 0), entries_.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  entries_.insert(entries_.end(), files.begin(), files.end());
  if (error) message_ = "Cannot read the folder: " + error.message();
  selection_ = 0;
}

FileBrowser::Outcome FileBrowser::open(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path full =
      std::filesystem::absolute(folder_ / path, error).lexically_normal();
  if (std::filesystem::is_directory(full, error)) {
    folder_ = full;
    typed_.clear();
    message_.clear();
    readFolder();
    return Outcome::Going;
  }
  if (!std::filesystem::exists(full, error)) {
    message_ = "File not found: " + path.string();
    return Outcome::Going;
  }
  chosen_ = full.string();
  return Outcome::Chosen;
}

FileBrowser::Outcome FileBrowser::enter() {
  if (!typed_.empty()) return open(typed_);
  if (entries_.empty()) return Outcome::Going;
  return open(entries_[static_cast<std::size_t>(selection_)].name);
}

FileBrowser::Outcome FileBrowser::press(const Key& key) {
  const int last = static_cast<int>(entries_.size()) - 1;
  switch (key.code) {
    case KeyCode::Escape:
    case KeyCode::Quit:
      return Outcome::Cancelled;
    case KeyCode::Enter:
      return enter();
    case KeyCode::Up:
      selection_ = std::max(0, selection_ - 1);
      break;
    case KeyCode::Down:
      selection_ = std::max(0, std::min(last, selection_ + 1));
      break;
    case KeyCode::PageUp:
      selection_ = std::max(0, selection_ - kListRows);
      break;
    case KeyCode::PageDown:
      selection_ = std::max(0, std::min(last, selection_ + kListRows));
      break;
    case KeyCode::Tab:
      if (!filters_.empty()) filter_ = (filter_ + 1) % filters_.size();
      readFolder();
      break;
    case KeyCode::Backspace:
      if (!typed_.empty()) typed_.pop_back();
      break;
    case KeyCode::Character:
    case KeyCode::Space:
      typed_ += key.character;
      break;
    default:
      break;
  }
  return Outcome::Going;
}

void FileBrowser::draw(Screen& screen) const {
  const CellRect area{(screen.columns() - kColumns) / 2, (screen.rows() - kRows) / 2, kColumns,
                      kRows};
  const int left = area.column + 2, width = kColumns - 4;
  screen.box(area, "Open");
  screen.text(left, area.row + 1, "Look in: " + elidedFront(folder_.string(), width - 9), width);
  const CellRect list{left, area.row + 2, width, kListRows + 2};
  screen.frame(list);
  const int top = std::max(0, selection_ - kListRows + 1);
  for (int i = 0; i < kListRows && top + i < static_cast<int>(entries_.size()); ++i) {
    const Entry& entry = entries_[static_cast<std::size_t>(top + i)];
    const Look look = top + i == selection_ && typed_.empty() ? Look::Highlighted : Look::Normal;
    screen.fill({left + 1, list.row + 1 + i, width - 2, 1}, U' ', look);
    screen.text(left + 1, list.row + 1 + i, (entry.folder ? "[" + entry.name + "]" : entry.name),
                width - 2, look);
  }
  const int below = list.row + list.rows;
  screen.text(left, below, "File name:", 15);
  screen.text(left + 15, below, fieldText(typed_, width - 16), width - 15, Look::Underlined);
  screen.text(left, below + 1, "Files of type:", 15);
  if (!filters_.empty()) screen.text(left + 15, below + 1, filters_[filter_].name, width - 15);
  screen.text(left, below + 2, message_, width);
  screen.text(left, below + 3, "Enter Open   Tab File type   Esc Cancel", width);
}

}  // namespace app::tui
