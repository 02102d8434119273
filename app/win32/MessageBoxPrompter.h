// The prompter of the dialog programs: modal message boxes over the dialog, captioned with the
// program's name: errors with the error icon and OK, questions with the warning icon and Yes/No,
// the notice with the information icon and OK.
#pragma once

#include <windows.h>

#include "prompt/Prompter.h"

namespace app {

class MessageBoxPrompter : public prompt::Prompter {
 public:
  MessageBoxPrompter(HWND owner, const char* caption) : owner_(owner), caption_(caption) {}

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  void showInformation(std::string_view text) override;

 private:
  int show(std::string_view text, UINT style);

  HWND owner_;
  const char* caption_;
};

}  // namespace app
