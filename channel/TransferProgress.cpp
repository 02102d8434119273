#include "channel/TransferProgress.h"

namespace channel {
namespace {

TransferProgress* listener = nullptr;

}  // namespace

TransferProgress* transferProgress() { return listener; }

TransferProgress* installTransferProgress(TransferProgress* progress) {
  TransferProgress* previous = listener;
  listener = progress;
  return previous;
}

void reportTransferProgress(uint64_t sent, uint64_t total) {
  if (listener) listener->advance(sent, total);
}

}  // namespace channel
