// The prompter of velkorctl: the update procedure's errors, questions and notice shown on the
// terminal as the dialog would show them, a question answered by --yes / --no or at a [y/N]
// prompt, and every message kept in order for the command's JSON.
#pragma once

#include <string>
#include <vector>

#include "app/cli/Console.h"
#include "app/cli/Json.h"
#include "prompt/Prompter.h"

namespace cli {

struct ShownMessage {
  const char* kind;              // "error", "question", "information"
  std::string text;              // as shown, in UTF-8
  const char* answer = nullptr;  // "yes" or "no" for a question
};

class CommandLinePrompter : public prompt::Prompter {
 public:
  // Who answers the questions: the technician at a terminal, or the command line beforehand.
  enum class Answers { Ask, Yes, No };

  // With json the messages are only kept (the command writes them in its object); a question
  // is then asked on the error stream when it has to be asked. Questions are asked only when
  // the console has a terminal to answer on.
  CommandLinePrompter(const Console& console, bool json, Answers answers);

  void showError(std::string_view text) override;
  bool askYesNo(std::string_view text) override;
  void showInformation(std::string_view text) override;

  const std::vector<ShownMessage>& messages() const { return messages_; }
  std::vector<JsonObject> messagesJson() const;

 private:
  void show(const char* kind, const std::string& text) const;
  bool answer();

  const Console& console_;
  bool json_;
  Answers answers_;
  std::vector<ShownMessage> messages_;
};

}  // namespace cli
