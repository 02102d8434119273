#include "app/LiveDialog.h"

#include "app/StatusProgress.h"
#include "app/dialogs/ControlIds.h"

namespace app {
namespace {

// The status line's text is read back whole (the dialog's texts are at most 299 characters).
constexpr std::size_t kStatusChars = 299;

struct OperationTexts {
  int controlId;
  const char* start;    // the status line as the operation starts
  const char* sending;  // what a send of bytes sends
};

constexpr OperationTexts kOperations[] = {
    {IDC_REFRESH, "Looking for plotters ...", ""},
    {IDC_PLOTTER_LIST, "Asking the plotter ...", ""},
    {IDC_SEND_SERIAL_NUMBER, "Writing the serial number ...", ""},
    {IDC_SEND_UPDATE, "Preparing the update ...", "Sending update"},
    {IDC_SEND_PLOT_FILE, "Sending the plot file ...", "Sending plot file"},
    {IDC_ABORT_PLOT, "Aborting the plot ...", ""},
    {IDC_READ_FIXTURES, "Asking the plotter ...", ""},
    {IDC_READ_TOOL_TYPE, "Asking the plotter ...", ""},
    {IDC_READ_STATUS, "Asking the plotter ...", ""},
};

const OperationTexts* operationOf(int controlId) {
  for (const OperationTexts& operation : kOperations) {
    if (operation.controlId == controlId) return &operation;
  }
  return nullptr;
}

}  // namespace

LiveDialog::LiveDialog(OperationHost& host, AppState& state, DialogView& view,
                       prompt::Prompter& prompter)
    : runner_(host),
      view_(view),
      forwardedView_(runner_, view),
      forwardedPrompter_(runner_, prompter),
      dialog_(state, forwardedView_, forwardedPrompter_) {}

bool LiveDialog::command(int controlId, int notification) {
  const OperationTexts* operation = operationOf(controlId);
  if (operation == nullptr) return dialog_.onCommand(controlId, notification);
  // Only an update shows how it ended; after anything else the status line says what it said.
  const std::string before = view_.controlText(IDC_STATUS_LINE, kStatusChars);
  view_.setControlText(IDC_STATUS_LINE, operation->start);
  bool handled = false;
  runner_.run([&] {
    StatusProgress progress(operation->sending, [this](const std::string& text) {
      runner_.call([&] { showStatus(text); });
    });
    handled = dialog_.onCommand(controlId, notification);
  });
  if (controlId != IDC_SEND_UPDATE) showStatus(before);
  return handled;
}

bool LiveDialog::runsOperation(int controlId) { return operationOf(controlId) != nullptr; }

void LiveDialog::showStatus(const std::string& text) {
  if (!runner_.closeRequested()) view_.setControlText(IDC_STATUS_LINE, text);
}

void LiveDialog::requestClose() {
  if (runner_.closeRequested()) return;
  view_.setControlText(IDC_STATUS_LINE, kCloseWaitsText);
  runner_.requestClose();
}

}  // namespace app
