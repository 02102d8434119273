#include "app/win32/MainDialogWindow.h"

#include <optional>

#include "app/MainDialog.h"
#include "app/dialogs/ControlIds.h"
#include "app/win32/MessageBoxPrompter.h"
#include "app/win32/Win32DialogView.h"
#include "discovery/Edition.h"
#include "plotter/PlotterLink.h"

namespace app {
namespace {

// What one run of the dialog holds: its view, its message boxes, the handlers and the icon.
struct DialogSession {
  DialogSession(HINSTANCE instance, HWND window, AppState& state, ProgramMachine& running)
      : view(instance, window),
        prompter(window, discovery::currentEditionFacts().programName),
        dialog(state, view, prompter),
        machine(running),
        icon(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
        smallIcon(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED))) {}

  Win32DialogView view;
  MessageBoxPrompter prompter;
  MainDialog dialog;
  ProgramMachine& machine;
  HICON icon;  // shared icons: the system frees them with the program
  HICON smallIcon;
};

struct DialogLaunch {
  HINSTANCE instance;
  AppState& state;
  ProgramMachine& machine;
  std::optional<DialogSession> session;
};

DialogSession* sessionOf(HWND window) {
  auto* launch = reinterpret_cast<DialogLaunch*>(GetWindowLongPtrA(window, DWLP_USER));
  return launch != nullptr && launch->session ? &*launch->session : nullptr;
}

BOOL onInitDialog(HWND window, DialogLaunch& launch) {
  SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&launch));
  DialogSession& session =
      launch.session.emplace(launch.instance, window, launch.state, launch.machine);
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(session.icon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(session.smallIcon));
  return session.dialog.onInitDialog() ? TRUE : FALSE;
}

// Esc and the close command end the dialog, the plotter link closed first. Enter, which would
// press the dialog's default button, presses nothing: the dialog has none.
BOOL onCommand(HWND window, DialogSession& session, WPARAM wParam) {
  const int controlId = LOWORD(wParam);
  if (controlId == IDCANCEL) {
    plotter::closePlotterLink();
    EndDialog(window, IDCANCEL);
    return TRUE;
  }
  if (controlId == IDOK) return TRUE;
  session.machine.followUserTime();
  return session.dialog.onCommand(controlId, HIWORD(wParam)) ? TRUE : FALSE;
}

// Minimised, the dialog draws its icon centred in what is left of its client area.
BOOL onPaint(HWND window, HICON icon) {
  if (!IsIconic(window)) return FALSE;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(window, &paint);
  return TRUE;
}

// The icon shown while the minimised dialog is dragged.
INT_PTR onQueryDragIcon(HICON icon) { return reinterpret_cast<INT_PTR>(icon); }

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    return onInitDialog(window, *reinterpret_cast<DialogLaunch*>(lParam));
  }
  DialogSession* session = sessionOf(window);
  if (session == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      return onCommand(window, *session, wParam);
    case WM_SYSCOMMAND:
      session->machine.followUserTime();
      return session->dialog.onSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
      return onPaint(window, session->icon);
    case WM_QUERYDRAGICON:
      return onQueryDragIcon(session->icon);
    default:
      return FALSE;
  }
}

}  // namespace

bool runMainDialog(HINSTANCE instance, AppState& state, ProgramMachine& machine) {
  DialogLaunch launch{instance, state, machine, std::nullopt};
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr,
                                         mainDialogProc, reinterpret_cast<LPARAM>(&launch));
  return result != -1 && result != 0;
}

}  // namespace app
