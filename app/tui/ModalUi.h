// What the terminal dialog opens over itself and waits on: the file-open dialog and the About
// box (message boxes are the prompter's).
#pragma once

#include <optional>
#include <span>
#include <string>

#include "app/DialogView.h"

namespace app::tui {

class ModalUi {
 public:
  virtual ~ModalUi() = default;
  virtual std::optional<std::string> chooseFile(std::span<const FileFilter> filters) = 0;
  virtual void showAbout() = 0;
};

}  // namespace app::tui
