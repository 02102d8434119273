// How the system speaks to the person at the machine: an error to acknowledge, a question to
// answer Yes or No, a notice to read. The core says what to show; each front end decides how
// (message boxes, terminal boxes, command-line prompts, a script in tests).
#pragma once

#include <string_view>

namespace prompt {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // An error box with an OK button.
  virtual void showError(std::string_view text) = 0;
  // A warning box with Yes and No; true for Yes.
  virtual bool askYesNo(std::string_view text) = 0;
  // An information box with an OK button.
  virtual void showInformation(std::string_view text) = 0;
};

}  // namespace prompt
