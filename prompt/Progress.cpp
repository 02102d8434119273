#include "prompt/Progress.h"

namespace prompt {
namespace {

Progress* listener = nullptr;

}  // namespace

Progress* progress() { return listener; }

Progress* installProgress(Progress* progress) {
  Progress* previous = listener;
  listener = progress;
  return previous;
}

void reportStep(Step step, int number, int count) {
  if (listener) listener->step(step, number, count);
}

void reportSent(uint64_t sent, uint64_t total) {
  if (listener) listener->advance(sent, total);
}

}  // namespace prompt
