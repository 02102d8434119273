// The progress of a long send, drawn on a terminal's error stream as one line that is redrawn:
// a bar, the bytes sent of the total and the rate. Installed for the lifetime of a send.
#pragma once

#include <chrono>
#include <ostream>

#include "prompt/Progress.h"

namespace cli {

class ProgressBar : public prompt::Progress {
 public:
  // Draws only when on; a bar that is off installs nothing.
  ProgressBar(std::ostream& out, bool on);
  ~ProgressBar() override;
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void advance(uint64_t sent, uint64_t total) override;

 private:
  std::ostream& out_;
  bool on_;
  bool drawn_ = false;
  prompt::Progress* previous_ = nullptr;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace cli
