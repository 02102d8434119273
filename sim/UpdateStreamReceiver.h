// An update stream that arrives in pieces, as RAW print jobs bring it to a plotter in its
// download state: the transfer line first, then as many image bytes as the line announces.
// The receiver takes from each piece the bytes up to the stream's end and checks the whole
// stream (sim/UpdateStreamCheck.h) once it is complete, or refuses it as soon as its transfer
// line shows that it cannot check out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/UpdateStreamCheck.h"

namespace sim {

class UpdateStreamReceiver {
 public:
  // Takes the bytes of data that belong to the stream and returns their count; what follows
  // a stream that has its outcome is not the stream's.
  size_t take(const uint8_t* data, size_t length);
  // True once a byte has been taken.
  bool started() const { return !bytes_.empty() || outcome_.has_value(); }
  // The stream's check once it is complete or refused; nullopt while more bytes are due. A
  // transfer line announcing more than kLargestUpdateStream bytes is refused as "byte count".
  const std::optional<UpdateStreamCheck>& outcome() const { return outcome_; }

 private:
  size_t due() const;
  void advance();
  void readLine();

  std::vector<uint8_t> bytes_;
  std::optional<size_t> length_;  // the whole stream's, once its line is read
  std::optional<UpdateStreamCheck> outcome_;
};

}  // namespace sim
