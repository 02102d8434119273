// A prompter for tests: records every message and question in order and answers the questions
// from a script. A question beyond the script fails the test and is answered No, so that an
// unexpected question never lets an update through.
//
//   RecordingPrompter prompter;
//   prompter.willAnswer(true);
//   ... sendFirmwareUpdate(..., prompter) ...;
//   EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"question text"}));
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "prompt/Prompter.h"

namespace velkor::test {

struct PromptCall {
  enum class Kind { Error, Question, Information };
  Kind kind;
  std::string text;
  bool answer = false;  // a question's answer
};

class RecordingPrompter : public prompt::Prompter {
 public:
  // The answer to the next question not yet scripted.
  void willAnswer(bool yes) { answers_.push_back(yes); }

  void showError(std::string_view text) override { record(PromptCall::Kind::Error, text); }
  bool askYesNo(std::string_view text) override {
    bool yes = false;
    if (answers_.empty()) {
      ADD_FAILURE() << "unscripted question: " << text;
    } else {
      yes = answers_.front();
      answers_.pop_front();
    }
    record(PromptCall::Kind::Question, text, yes);
    return yes;
  }
  void showInformation(std::string_view text) override {
    record(PromptCall::Kind::Information, text);
  }

  const std::vector<PromptCall>& calls() const { return calls_; }
  // The texts of all calls, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const PromptCall& call : calls_) all.push_back(call.text);
    return all;
  }
  // Scripted answers that no question used.
  size_t unusedAnswers() const { return answers_.size(); }

 private:
  void record(PromptCall::Kind kind, std::string_view text, bool answer = false) {
    calls_.push_back({kind, std::string(text), answer});
  }

  std::deque<bool> answers_;
  std::vector<PromptCall> calls_;
};

}  // namespace velkor::test
