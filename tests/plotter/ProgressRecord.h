// A transfer progress listener that keeps every report, installed for as long as it lives.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "prompt/Progress.h"

namespace velkor::test {

class ProgressRecord : public prompt::Progress {
 public:
  using Step = std::pair<uint64_t, uint64_t>;  // sent, total
  ProgressRecord() : previous_(prompt::installProgress(this)) {}
  ~ProgressRecord() override { prompt::installProgress(previous_); }
  ProgressRecord(const ProgressRecord&) = delete;
  ProgressRecord& operator=(const ProgressRecord&) = delete;

  void advance(uint64_t sent, uint64_t total) override { steps.emplace_back(sent, total); }
  std::vector<Step> steps;

 private:
  prompt::Progress* previous_;
};

}  // namespace velkor::test
