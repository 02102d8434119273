// The terminal dialog's file-open dialog: a small file browser that starts in the current
// directory, lists its folders and the files of the chosen type, and takes a typed path too. The
// file must exist, as in the system's file-open dialog.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "app/DialogView.h"
#include "app/tui/Keys.h"
#include "app/tui/Screen.h"

namespace app::tui {

class FileBrowser {
 public:
  explicit FileBrowser(std::span<const FileFilter> filters);

  enum class Outcome { Going, Chosen, Cancelled };
  // Up and Down pick a line, Tab the next file type, typing and Backspace edit the name, Enter
  // opens the named or the picked folder or file, Esc cancels.
  Outcome press(const Key& key);
  // The chosen file's full path, once the outcome says Chosen.
  const std::string& chosen() const { return chosen_; }
  void draw(Screen& screen) const;

 private:
  struct Entry {
    std::string name;
    bool folder;
  };
  void readFolder();
  Outcome open(const std::filesystem::path& path);
  Outcome enter();

  std::span<const FileFilter> filters_;
  std::size_t filter_ = 0;
  std::filesystem::path folder_;
  std::vector<Entry> entries_;
  int selection_ = 0;
  std::string typed_;
  std::string message_;
  std::string chosen_;
};

}  // namespace app::tui
