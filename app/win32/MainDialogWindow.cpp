#include "app/win32/MainDialogWindow.h"

#include <optional>

#include "app/LiveDialog.h"
#include "app/dialogs/ControlIds.h"
#include "app/win32/DialogPump.h"
#include "app/win32/MessageBoxPrompter.h"
#include "app/win32/Win32DialogView.h"
#include "discovery/Edition.h"

namespace app {
namespace {

// What the system shows when a shutdown or log-off would cut a firmware update short.
constexpr const wchar_t kShutdownHeldReason[] = L"A firmware update is being sent to the plotter";

// What one run of the dialog holds: its view, its message boxes, the handlers and the icon.
struct DialogSession {
  DialogSession(HINSTANCE instance, HWND window, AppState& state, ProgramMachine& running)
      : view(instance, window),
        prompter(window, discovery::currentEditionFacts().programName),
        live(pump, state, view, prompter),
        machine(running),
        icon(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
        smallIcon(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED))) {
    pump.attach(window, live);
  }

  Win32DialogView view;
  MessageBoxPrompter prompter;
  DialogPump pump;
  LiveDialog live;
  ProgramMachine& machine;
  HICON icon;  // shared icons: the system frees them with the program
  HICON smallIcon;
  bool updating = false;  // an update runs: a shutdown waits for it
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
  return session.live.dialog().onInitDialog() ? TRUE : FALSE;
}

// The dialog ends as the close command ends it: the plotter link closed first.
void closeDialog(HWND window, DialogSession& session) {
  session.live.dialog().onSysCommand(kCloseCommand);
  EndDialog(window, IDCANCEL);
}

// The wait cursor over the dialog, shown at once where the mouse is.
void showWaitCursor(bool on) {
  SetCursor(LoadCursorA(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

// A command that reaches a plotter runs while the dialog keeps answering; its window carries a
// property meanwhile, and during an update a shutdown is held with the reason given.
BOOL runCommand(HWND window, DialogSession& session, int controlId, int notification) {
  session.machine.followUserTime();
  if (!LiveDialog::runsOperation(controlId)) {
    return session.live.command(controlId, notification) ? TRUE : FALSE;
  }
  session.updating = controlId == IDC_SEND_UPDATE;
  if (session.updating) ShutdownBlockReasonCreate(window, kShutdownHeldReason);
  SetPropA(window, kOperationProperty, reinterpret_cast<HANDLE>(1));
  showWaitCursor(true);
  const bool handled = session.live.command(controlId, notification);
  showWaitCursor(false);
  dropWaitingInput();
  RemovePropA(window, kOperationProperty);
  if (session.updating) ShutdownBlockReasonDestroy(window);
  session.updating = false;
  if (session.live.closeRequested()) closeDialog(window, session);
  return handled ? TRUE : FALSE;
}

// Esc and the close command end the dialog, the plotter link closed first; while an operation
// runs they wait for its end. Enter, which would press the dialog's default button, presses
// nothing: the dialog has none. Commands that reach the dialog meanwhile are dropped.
BOOL onCommand(HWND window, DialogSession& session, WPARAM wParam) {
  const int controlId = LOWORD(wParam);
  if (controlId == IDCANCEL) {
    if (session.live.busy()) {
      session.live.requestClose();
    } else {
      closeDialog(window, session);
    }
    return TRUE;
  }
  if (controlId == IDOK || session.live.busy()) return TRUE;
  return runCommand(window, session, controlId, HIWORD(wParam));
}

// While an operation runs, the close command waits for its end and About waits for the user to
// ask again; moving and minimising go on as usual.
BOOL onSysCommand(DialogSession& session, WPARAM wParam) {
  const unsigned command = static_cast<unsigned>(wParam);
  if (session.live.busy()) {
    if ((command & 0xFFF0) == kCloseCommand) session.live.requestClose();
    return (command & 0xFFF0) == kCloseCommand || (command & 0xFFF0) == IDM_ABOUTBOX;
  }
  session.machine.followUserTime();
  return session.live.dialog().onSysCommand(command) ? TRUE : FALSE;
}

// A dialog procedure answers through DWLP_MSGRESULT.
BOOL answer(HWND window, LONG_PTR result) {
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
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

INT_PTR dispatch(HWND window, DialogSession& session, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_COMMAND:
      return onCommand(window, session, wParam);
    case WM_SYSCOMMAND:
      return onSysCommand(session, wParam);
    case kRunCallsMessage:
      session.live.runner().runCalls();
      return TRUE;
    case WM_SETCURSOR:
      if (!session.live.busy()) return FALSE;
      showWaitCursor(true);
      return answer(window, TRUE);
    case WM_QUERYENDSESSION:
      return session.updating ? answer(window, FALSE) : FALSE;
    case WM_PAINT:
      return onPaint(window, session.icon);
    case WM_QUERYDRAGICON:
      return onQueryDragIcon(session.icon);
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    return onInitDialog(window, *reinterpret_cast<DialogLaunch*>(lParam));
  }
  DialogSession* session = sessionOf(window);
  if (session == nullptr) return FALSE;
  return dispatch(window, *session, message, wParam);
}

}  // namespace

bool runMainDialog(HINSTANCE instance, AppState& state, ProgramMachine& machine) {
  DialogLaunch launch{instance, state, machine, std::nullopt};
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_DIALOG), nullptr,
                                         mainDialogProc, reinterpret_cast<LPARAM>(&launch));
  return result != -1 && result != 0;
}

}  // namespace app
