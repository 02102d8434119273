#include "firmware/AppendLog.h"

#include <cstring>

namespace firmware {
namespace {

// Removes the log's first line, up to and including its first CR or LF (a CR LF pair thus
// takes two rounds), or the whole log when it has no line end.
void dropFirstLine(char* log, size_t& length) {
  const size_t lineEnd = std::strcspn(log, "\r\n");
  const size_t dropped = lineEnd < length ? lineEnd + 1 : length;
  std::memmove(log, log + dropped, length - dropped + 1);
  length -= dropped;
}

}  // namespace

void appendLog(char* log, const char* text, int capacity) {
  if (log == nullptr || text == nullptr || capacity <= 0) return;
  const size_t limit = static_cast<size_t>(capacity);
  size_t length = strnlen(log, limit - 1);
  log[length] = '\0';
  size_t textLength = std::strlen(text);
  while (length > 0 && length + textLength >= limit) dropFirstLine(log, length);
  if (textLength >= limit) textLength = limit - 1;
  std::memcpy(log + length, text, textLength);
  log[length + textLength] = '\0';
}

}  // namespace firmware
