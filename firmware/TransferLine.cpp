#include "firmware/TransferLine.h"

#include <cinttypes>
#include <cstdio>

namespace firmware {

TransferLine makeTransferLine(const char* headerText, uint32_t n, uint32_t checksum) {
  TransferLine line{};
  const int written = std::snprintf(line.text, sizeof line.text, "%.*s %" PRIx32 " %" PRIx32 " ",
                                    static_cast<int>(kTitleLength), headerText, n, checksum);
  line.length = written > 0 ? static_cast<size_t>(written) : 0;
  // An even length keeps the data that follows on a 16-bit word boundary.
  if (line.length % 2 == 0) line.text[line.length++] = ' ';
  line.text[line.length++] = '\r';
  line.text[line.length] = '\0';
  return line;
}

uint32_t checksumOf(const unsigned char* data, size_t n) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 1 < n; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (i < n) sum += static_cast<uint32_t>(data[i] << 8);
  return sum;
}

}  // namespace firmware
