// What the dialog handlers see of their dialog: the controls' texts, the plotter list box, the
// file-open dialog and the About box. Each front end implements it over its own dialog (Win32
// windows, terminal cells); tests record it.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// One line of a file-open dialog's type list: what the user reads and the pattern it stands for.
struct FileFilter {
  const char* name;
  const char* pattern;
};

class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual void setControlText(int controlId, std::string_view text) = 0;
  // At most maxChars characters of a control's text.
  virtual std::string controlText(int controlId, std::size_t maxChars) = 0;

  // The list box emptied and filled with these lines, in order; line i carries i as its data.
  virtual void setListLines(const std::vector<std::string>& lines) = 0;
  virtual void selectListLine(int index) = 0;
  // The list box's current selection, -1 for none.
  virtual int currentListLine() = 0;

  // The system menu gains a separator and this item, which sends IDM_ABOUTBOX.
  virtual void appendAboutItem(std::string_view text) = 0;
  // The file-open dialog with these filters (the first one chosen), starting in the current
  // directory; the chosen file's path, or nothing when the user cancelled.
  virtual std::optional<std::string> chooseFile(std::span<const FileFilter> filters) = 0;
  // The About box, modally.
  virtual void showAbout() = 0;
};

}  // namespace app
