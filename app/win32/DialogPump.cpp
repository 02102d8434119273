#include "app/win32/DialogPump.h"

namespace app {
namespace {

// The longest the dialog's thread waits for a message before it looks at the operation again.
constexpr DWORD kPumpWaitMs = 50;

bool isKeyOrMouse(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

void DialogPump::wake() { PostMessageA(window_, kRunCallsMessage, 0, 0); }

bool DialogPump::isDialogInput(const MSG& message) const {
  return isKeyOrMouse(message.message) &&
         (message.hwnd == window_ || IsChild(window_, message.hwnd));
}

void DialogPump::pump() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpWaitMs, QS_ALLINPUT);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (isDialogInput(message)) {
      if (message.message == WM_SYSKEYDOWN && message.wParam == VK_F4) live_->requestClose();
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void dropWaitingInput() {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

}  // namespace app
