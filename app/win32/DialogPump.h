// What the dialog's thread does while an operation runs on its worker: it reads the thread's
// messages so that the dialog repaints, moves and answers the system, drops the keys and clicks
// meant for the dialog and its controls (Alt-F4 is a close asked for), and runs the calls the
// operation makes into the dialog when woken by a posted message.
#pragma once

#include <windows.h>

#include "app/LiveDialog.h"

namespace app {

// Posted to the dialog to run the calls an operation waits on.
inline constexpr UINT kRunCallsMessage = WM_APP + 1;
// The dialog's window property that is set while an operation runs, for tools that watch it.
inline constexpr const char kOperationProperty[] = "VelkorOperation";

class DialogPump : public OperationHost {
 public:
  void attach(HWND window, LiveDialog& live) {
    window_ = window;
    live_ = &live;
  }

  void wake() override;
  void pump() override;

 private:
  // Whether a message is input for the dialog, dropped while an operation runs.
  bool isDialogInput(const MSG& message) const;

  HWND window_ = nullptr;
  LiveDialog* live_ = nullptr;
};

// Drops the keys and clicks that wait in the thread's queue, so that none answers a box that
// is about to open.
void dropWaitingInput();

}  // namespace app
