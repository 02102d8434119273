#include "app/win32/Win32DialogView.h"

#include <commdlg.h>

#include <algorithm>

#include "app/dialogs/ControlIds.h"
#include "os/Utf8.h"

namespace app {
namespace {

// The file-open dialog's buffer, in bytes: the longest path Windows takes (32,767 UTF-16 units)
// as UTF-8, the process's code page, at up to three bytes a unit.
constexpr std::size_t kFileBufferBytes = 32767 * os::kUtf8BytesPerUtf16Unit + 1;

// "name\0pattern\0...\0\0", as the file-open dialog reads its filters.
std::string filterList(std::span<const FileFilter> filters) {
  std::string list;
  for (const FileFilter& filter : filters) {
    list += filter.name;
    list += '\0';
    list += filter.pattern;
    list += '\0';
  }
  return list + '\0';
}

INT_PTR CALLBACK aboutProc(HWND about, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDC_ABOUT_OK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(about, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void Win32DialogView::setControlText(int controlId, std::string_view text) {
  SetDlgItemTextA(dialog_, controlId, std::string(text).c_str());
}

std::string Win32DialogView::controlText(int controlId, std::size_t maxChars) {
  std::string text(maxChars + 1, '\0');
  const UINT got = GetDlgItemTextA(dialog_, controlId, text.data(), static_cast<int>(maxChars + 1));
  text.resize(got);
  return text;
}

LRESULT Win32DialogView::sendToList(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(dialog_, IDC_PLOTTER_LIST, message, wParam, lParam);
}

void Win32DialogView::setListLines(const std::vector<std::string>& lines) {
  sendToList(LB_RESETCONTENT, 0, 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LRESULT at = sendToList(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines[i].c_str()));
    if (at >= 0) sendToList(LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
}

void Win32DialogView::selectListLine(int index) {
  sendToList(LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32DialogView::currentListLine() {
  const LRESULT line = sendToList(LB_GETCURSEL, 0, 0);
  return line == LB_ERR ? -1 : static_cast<int>(line);
}

void Win32DialogView::appendAboutItem(std::string_view text) {
  HMENU menu = GetSystemMenu(dialog_, FALSE);
  if (menu == nullptr) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, std::string(text).c_str());
}

// The dialog is the file dialog's owner, so that nothing else of it can be pressed meanwhile.
std::optional<std::string> Win32DialogView::chooseFile(std::span<const FileFilter> filters) {
  const std::string filter = filterList(filters);
  std::string file(kFileBufferBytes, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = dialog_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = ".";
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  file.resize(std::min(file.find('\0'), file.size()));
  return file;
}

void Win32DialogView::showAbout() {
  DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUTBOX), dialog_, aboutProc, 0);
}

}  // namespace app
