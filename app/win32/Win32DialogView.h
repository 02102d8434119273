// The dialog view over a real Windows dialog: control texts through the dialog's items, the
// plotter list box, the system menu, the common file-open dialog and the About box of the
// program's resources.
#pragma once

#include <windows.h>

#include "app/DialogView.h"

namespace app {

class Win32DialogView : public DialogView {
 public:
  Win32DialogView(HINSTANCE instance, HWND dialog) : instance_(instance), dialog_(dialog) {}

  void setControlText(int controlId, std::string_view text) override;
  std::string controlText(int controlId, std::size_t maxChars) override;
  void setListLines(const std::vector<std::string>& lines) override;
  void selectListLine(int index) override;
  int currentListLine() override;
  void appendAboutItem(std::string_view text) override;
  std::optional<std::string> chooseFile(std::span<const FileFilter> filters) override;
  void showAbout() override;

 private:
  LRESULT sendToList(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  HWND dialog_;
};

}  // namespace app
