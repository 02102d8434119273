// A prompter for tests: records every message and question in order and answers the questions
// from a script. A question beyond the script fails the test and is answered No, so that an
// unexpected question never lets an update through.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
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
  void showInformation(std::string_view text) override {
    record(PromptCall::Kind::Information, text);
  }
  bool askYesNo(std::string_view text) override {
    EXPECT_FALSE(answers_.empty()) << "unscripted question: " << text;
    const bool yes = !answers_.empty() && answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    record(PromptCall::Kind::Question, text, yes);
    return yes;
  }

  // Called with each call as it is made, to see what else is shown at that moment.
  std::function<void(const PromptCall&)> onCall;

  const std::vector<PromptCall>& calls() const { return calls_; }
  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const PromptCall& call : calls_) all.push_back(call.text);
    return all;
  }

 private:
  void record(PromptCall::Kind kind, std::string_view text, bool answer = false) {
    calls_.push_back({kind, std::string(text), answer});
    if (onCall) onCall(calls_.back());
  }

  std::deque<bool> answers_;
  std::vector<PromptCall> calls_;
};

}  // namespace velkor::test
