// "Send update", as both programs run it: the checks of the dialog around the update procedure,
// and the status line that reports the outcome.
#pragma once

#include <functional>
#include <string>

#include "app/PlotterInfo.h"
#include "firmware/SendFirmwareUpdate.h"
#include "os/Win32.h"
#include "prompt/Prompter.h"

namespace app {

struct SendUpdateOutcome {
  int result = 0;      // the update procedure's result; kUpdateRefused for the dialog's refusals
  std::string status;  // the status line's new text
  firmware::UpdateFindings findings;
  firmware::UpdateTarget target;  // what the plotter showed before the update
  std::string bootProgram;        // its boot program field then
};

// The update-mode rule: a vendor-driver plotter must be in update mode, and a version text with
// "1.12" or "1.13" in it must not be updated in place.
bool needsUpdateMode(int connection, int sizeClass, const std::string& firmwareVersion);

// The status line after an update was sent at that local time: "Plotter update sent on " and
// " %d %b %y %H:%M:%S", with the English month names whatever the locale says.
std::string updateSentStatus(const SYSTEMTIME& now);

// ensureTempName, a refresh of the plotter list (keeping a valid selection; shown gets what it
// found, for a dialog to show), the 500 ms pause, the dialog's refusals, the update procedure,
// and after success the status (statusShown gets it, for the status line) and the notice.
SendUpdateOutcome onSendUpdate(const std::string& firmwarePath, prompt::Prompter& prompter,
                               const std::function<void(const PlotterInfo&)>& shown = {},
                               const std::function<void(const std::string&)>& statusShown = {});

}  // namespace app
