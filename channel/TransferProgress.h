// Progress of a long send (a file over the transfer channel, the print jobs of a file), for a
// front end that shows it. The sending code reports; nobody has to listen.
#pragma once

#include <cstdint>

namespace channel {

class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  // sent of total bytes have gone out; called after every chunk or job, and once with
  // sent == 0 before the first.
  virtual void advance(uint64_t sent, uint64_t total) = 0;
};

// The listener in use, or null. The program makes one send at a time on one thread.
TransferProgress* transferProgress();
// Installs a listener (null: none); returns the one it replaces.
TransferProgress* installTransferProgress(TransferProgress* progress);
// Tells the listener in use, if any.
void reportTransferProgress(uint64_t sent, uint64_t total);

}  // namespace channel
