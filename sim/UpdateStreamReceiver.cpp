#include "sim/UpdateStreamReceiver.h"

#include <algorithm>

namespace sim {

// Until the line is read, its bytes are taken up to its carriage return, so that a stream
// shorter than the longest line takes nothing beyond its end.
size_t UpdateStreamReceiver::take(const uint8_t* data, size_t length) {
  size_t taken = 0;
  while (!outcome_ && taken < length) {
    const uint8_t* from = data + taken;
    size_t count = std::min(length - taken, due());
    if (!length_) {
      const uint8_t* cr = std::find(from, from + count, uint8_t('\r'));
      if (cr != from + count) count = size_t(cr - from) + 1;
    }
    bytes_.insert(bytes_.end(), from, from + count);
    taken += count;
    advance();
  }
  return taken;
}

size_t UpdateStreamReceiver::due() const {
  return (length_ ? *length_ : kLongestTransferLine) - bytes_.size();
}

void UpdateStreamReceiver::advance() {
  if (!length_) readLine();
  if (!length_ || outcome_ || bytes_.size() < *length_) return;
  outcome_ = checkUpdateStream(bytes_.data(), bytes_.size());
  bytes_ = {};
}

void UpdateStreamReceiver::readLine() {
  if (bytes_.back() != '\r' && bytes_.size() < kLongestTransferLine) return;
  UpdateStreamCheck line = readTransferLine(bytes_.data(), bytes_.size());
  if (line.lineLength != 0 && line.count > kLargestUpdateStream) line.reason = "byte count";
  if (!line.reason.empty()) {
    outcome_ = line;
    bytes_ = {};
    return;
  }
  length_ = line.lineLength + line.count;
}

}  // namespace sim
