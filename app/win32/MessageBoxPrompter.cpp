#include "app/win32/MessageBoxPrompter.h"

#include <string>

#include "app/win32/DialogPump.h"

namespace app {

// Keys typed and clicks made while the program worked are not answers to this box.
int MessageBoxPrompter::show(std::string_view text, UINT style) {
  dropWaitingInput();
  return MessageBoxA(owner_, std::string(text).c_str(), caption_, style);
}

void MessageBoxPrompter::showError(std::string_view text) { show(text, MB_ICONERROR | MB_OK); }

bool MessageBoxPrompter::askYesNo(std::string_view text) {
  return show(text, MB_ICONWARNING | MB_YESNO) == IDYES;
}

void MessageBoxPrompter::showInformation(std::string_view text) {
  show(text, MB_ICONINFORMATION | MB_OK);
}

}  // namespace app
