#include "tests/win32/DialogDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/dialogs/ControlIds.h"
#include "app/win32/DialogPump.h"

namespace velkor::test {
namespace {

// The dialog's thread answers at once, also while an operation runs.
constexpr UINT kSettleTimeoutMs = 10000;
constexpr int kPollMs = 20;
constexpr int kPolls = 1500;  // 30 s
// Longer than anything the dialog does before it waits for the user (an update with its pauses).
constexpr int kSettlePolls = 3000;  // 60 s
// A message box's text is the static control with this ID.
constexpr int kMessageBoxText = 0xFFFF;

// Asked by message, so that it works for the windows of another process too.
std::string windowText(HWND window) {
  char text[2048] = "";
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_NORMAL, kSettleTimeoutMs, &copied);
  return text;
}

bool isDialog(HWND window) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  return std::string(name) == "#32770";
}

struct Search {
  HWND except;
  HWND found = nullptr;
  const char* title = nullptr;
};

BOOL CALLBACK findDialog(HWND window, LPARAM lParam) {
  auto& search = *reinterpret_cast<Search*>(lParam);
  if (window == search.except || !isDialog(window)) return TRUE;
  if (search.title != nullptr && windowText(window) != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

// A modal dialog is shown only once its thread first finds no message waiting, after it has
// answered messages already: until then a click on a button of it is lost.
DialogDriver::DialogDriver(DWORD uiThread, const char* title) : uiThread_(uiThread) {
  for (int i = 0; i < kPolls && dialog_ == nullptr; ++i) {
    Search search{nullptr, nullptr, title};
    EnumThreadWindows(uiThread_, findDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && IsWindowVisible(search.found)) dialog_ = search.found;
    if (dialog_ == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  EXPECT_NE(dialog_, nullptr) << "no dialog \"" << title << "\" came up";
  if (dialog_ != nullptr) settle();
}

std::string DialogDriver::text(int controlId) { return windowText(GetDlgItem(dialog_, controlId)); }

std::vector<std::string> DialogDriver::listLines() {
  HWND list = GetDlgItem(dialog_, IDC_PLOTTER_LIST);
  std::vector<std::string> lines;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string line(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)), '\0');
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(line);
  }
  return lines;
}

int DialogDriver::selectedLine() {
  return static_cast<int>(SendDlgItemMessageA(dialog_, IDC_PLOTTER_LIST, LB_GETCURSEL, 0, 0));
}

// The press is sent without waiting for it, since the handler may open a box and wait for an
// answer; settle then waits behind it.
std::optional<ModalBox> DialogDriver::press(int buttonId) {
  SendNotifyMessageA(GetDlgItem(dialog_, buttonId), BM_CLICK, 0, 0);
  return settle();
}

std::optional<ModalBox> DialogDriver::select(int line) {
  HWND list = GetDlgItem(dialog_, IDC_PLOTTER_LIST);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendNotifyMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PLOTTER_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
  return settle();
}

std::optional<ModalBox> DialogDriver::sysCommand(WPARAM command) {
  SendNotifyMessageA(dialog_, WM_SYSCOMMAND, command, 0);
  return settle();
}

std::optional<ModalBox> DialogDriver::answer(const ModalBox& box, int button) {
  SendNotifyMessageA(box.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box.window, button)));
  waitUntilGone(box.window);
  return settle();
}

// The file name field: Explorer-style dialogs have a combo box (cmb13) or an edit (edt1).
std::optional<ModalBox> DialogDriver::typeFileName(const ModalBox& fileDialog,
                                                   const std::string& path) {
  HWND field = GetDlgItem(fileDialog.window, 0x47C);
  if (field == nullptr) field = GetDlgItem(fileDialog.window, 0x480);
  EXPECT_NE(field, nullptr) << "the file-open dialog has no file name field";
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return answer(fileDialog, IDOK);
}

void DialogDriver::repaint() {
  RedrawWindow(dialog_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  settle();
  // Wine hands what was painted to the X server on its own time.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  settle();
}

void DialogDriver::close() {
  if (dialog_ == nullptr) return;
  for (std::optional<ModalBox> box = openBox(); box; box = openBox()) {
    answer(*box, box->yesNo ? IDNO : IDCANCEL);
  }
  SendNotifyMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
  waitUntilGone(dialog_);
}

// A message sent behind the others is handled once the dialog's thread has taken them: then
// a command given has begun. It has ended when the dialog no longer marks an operation, or it
// waits for the user in a box.
std::optional<ModalBox> DialogDriver::settle() {
  for (int i = 0; i < kSettlePolls; ++i) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kSettleTimeoutMs, &result) == 0) {
      ADD_FAILURE() << "the dialog did not answer within " << kSettleTimeoutMs << " ms";
      return std::nullopt;
    }
    if (std::optional<ModalBox> box = openBox()) return box;
    if (!busy()) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  ADD_FAILURE() << "the dialog's operation did not end";
  return std::nullopt;
}

bool DialogDriver::busy() const { return GetPropA(dialog_, app::kOperationProperty) != nullptr; }

std::optional<ModalBox> DialogDriver::openBox() {
  Search search{dialog_};
  EnumThreadWindows(uiThread_, findDialog, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return std::nullopt;
  ModalBox box{search.found, windowText(search.found), "", false};
  if (HWND text = GetDlgItem(box.window, kMessageBoxText)) box.text = windowText(text);
  box.yesNo = GetDlgItem(box.window, IDYES) != nullptr;
  return box;
}

void DialogDriver::waitUntilGone(HWND window) {
  for (int i = 0; i < kPolls && IsWindow(window); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  EXPECT_FALSE(IsWindow(window)) << "a window did not close";
}

}  // namespace velkor::test
