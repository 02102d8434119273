// Drives a dialog that runs modally on another thread, of this process or another, as a user
// would: presses its buttons and picks list lines by window messages, reads what it shows
// through the Win32 API, and answers the message boxes it opens. Every call returns once the
// dialog is done with what it was given: idle again, or showing a box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velkor::test {

// A modal box of the dialog's thread: a message box, the file-open dialog or the About box.
struct ModalBox {
  HWND window = nullptr;
  std::string caption;
  std::string text;    // a message box's text
  bool yesNo = false;  // it asks Yes or No
};

class DialogDriver {
 public:
  // Waits for the dialog with this title on the thread given to be shown.
  DialogDriver(DWORD uiThread, const char* title);

  HWND window() const { return dialog_; }
  std::string text(int controlId);
  std::vector<std::string> listLines();
  int selectedLine();
  // Each returns the box the dialog opened, or nothing when it went back to waiting for the user.
  std::optional<ModalBox> press(int buttonId);
  std::optional<ModalBox> select(int line);
  std::optional<ModalBox> sysCommand(WPARAM command);
  std::optional<ModalBox> answer(const ModalBox& box, int button);
  // The file-open dialog given a path and confirmed.
  std::optional<ModalBox> typeFileName(const ModalBox& fileDialog, const std::string& path);
  // The whole dialog painted anew and on the screen.
  void repaint();
  // Ends the dialog as the close command does, answering No or cancelling whatever is open.
  void close();
  // Waits until the dialog is idle again or shows a box.
  std::optional<ModalBox> settle();
  // Whether an operation runs.
  bool busy() const;
  // Waits until the window is closed (a failure if it stays).
  void waitUntilGone(HWND window);

 private:
  std::optional<ModalBox> openBox();

  DWORD uiThread_;
  HWND dialog_ = nullptr;
};

}  // namespace velkor::test
