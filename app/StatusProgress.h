// What the status line says while an operation runs: the step it is at, in words a technician
// understands, and the bytes of a send with their share. The texts are the same in every front
// end; a StatusProgress shows them as the core reports its progress.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "prompt/Progress.h"

namespace app {

// The status line's text for a step (number of count where the step repeats).
std::string stepText(prompt::Step step, int number, int count);
// "Sending update: 640 KiB of 2,048 KiB (31%)", what being "Sending update" or the like.
std::string sentText(const std::string& what, uint64_t sent, uint64_t total);

// Installed for its lifetime: shows each step at once, and the bytes of a send as they go, no
// more often than a person can read them, and always the first and the last.
class StatusProgress : public prompt::Progress {
 public:
  // sending names what a send sends ("Sending update"); show puts a text on the status line.
  StatusProgress(std::string sending, std::function<void(const std::string&)> show);
  ~StatusProgress() override;
  StatusProgress(const StatusProgress&) = delete;
  StatusProgress& operator=(const StatusProgress&) = delete;

  void step(prompt::Step step, int number, int count) override;
  void advance(uint64_t sent, uint64_t total) override;

 private:
  std::string sending_;
  std::function<void(const std::string&)> show_;
  std::chrono::steady_clock::time_point shown_{};
  prompt::Progress* previous_;
};

}  // namespace app
