#include "sim/UpdateStreamCheck.h"

#include <algorithm>

#include "sim/WordChecksum.h"

namespace sim {
namespace {

// A lowercase hexadecimal number as printf "%lx" writes it.
bool parseHex(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 8 || (text.size() > 1 && text[0] == '0')) return false;
  value = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = value << 4 | uint32_t(digit);
  }
  return true;
}

// Splits "<title> <count> <checksum>" (trailing blanks already gone) from the right, since the
// title may hold blanks itself.
bool parseLine(std::string line, UpdateStreamCheck& check) {
  size_t last = line.rfind(' ');
  if (last == std::string::npos || !parseHex(line.substr(last + 1), check.checksum)) return false;
  line.resize(last);
  size_t middle = line.rfind(' ');
  if (middle == std::string::npos || !parseHex(line.substr(middle + 1), check.count)) return false;
  check.title = line.substr(0, middle);
  return !check.title.empty();
}

}  // namespace

UpdateStreamCheck readTransferLine(const uint8_t* stream, size_t length) {
  UpdateStreamCheck check;
  const uint8_t* end = stream + std::min(length, kLongestTransferLine);
  const uint8_t* cr = std::find(stream, end, uint8_t('\r'));
  if (cr == end) {
    check.reason = "no transfer line";
    return check;
  }
  const size_t lineLength = size_t(cr - stream) + 1;
  std::string line(stream, cr);
  const size_t padded = line.size();
  while (!line.empty() && line.back() == ' ') line.pop_back();
  if (lineLength % 2 != 0 || padded - line.size() < 1 || padded - line.size() > 2 ||
      !parseLine(line, check)) {
    check.reason = "malformed transfer line";
    return check;
  }
  check.lineLength = lineLength;
  return check;
}

UpdateStreamCheck checkUpdateStream(const uint8_t* stream, size_t length) {
  UpdateStreamCheck check = readTransferLine(stream, length);
  if (check.lineLength == 0) return check;
  if (check.count != length - check.lineLength || check.count % 2 != 0) {
    check.reason = "byte count";
    return check;
  }
  WordChecksum sum;
  sum.add(stream + check.lineLength, check.count);
  if (sum.value() != check.checksum) {
    check.reason = "checksum";
    return check;
  }
  check.accepted = true;
  return check;
}

std::string updateText(const std::string& title) {
  if (title.size() <= 4) return {};
  size_t start = title.find_first_not_of(' ', 4);
  return start == std::string::npos ? std::string() : title.substr(start);
}

}  // namespace sim
