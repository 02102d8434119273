#include "firmware/ConvertFirmwareFile.h"

#include <algorithm>
#include <cstring>

#include "firmware/AppendLog.h"
#include "firmware/DataBuffer.h"
#include "firmware/IdentifyFirmware.h"
#include "firmware/SectionTable.h"
#include "firmware/TransferLine.h"

namespace firmware {
namespace {

constexpr const char kUnevenText[] = "Error: Number of bytes in data file is uneven: %lld .\n";
constexpr const char kSizeText[] = "Error: Data File too small or too large: %lld bytes.\n";
constexpr const char kSendingText[] = "Sending program data\n\n %s\n\n Please wait...\n";
constexpr const char kReadErrorText[] = "Error: Data File could not be read: read error after %lld bytes.\n";
constexpr const char kWriteErrorText[] = "Error: Update stream could not be written.\n";

// Reads the input in blocks; tells the end of the file apart from a read error.
class InputReader {
 public:
  explicit InputReader(std::FILE* in) : in_(in) {}

  // Up to count bytes into to; fewer only at the end of the file or on a read error.
  size_t read(unsigned char* to, size_t count) {
    if (ended_ || count == 0) return 0;
    const size_t got = std::fread(to, 1, count, in_);
    total_ += got;
    if (got < count) {
      ended_ = true;
      failed_ = std::ferror(in_) != 0;
    }
    return got;
  }
  bool ended() const { return ended_; }
  bool failed() const { return failed_; }
  uint64_t total() const { return total_; }

 private:
  std::FILE* in_;
  uint64_t total_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

// Reads the header region and returns the section it names. The header bytes pass through the
// data buffer, which the data overwrites next; only the header text is kept.
const SectionEntry& readHeader(InputReader& reader, char* headerText) {
  unsigned char* bytes = dataBuffer();
  size_t got = reader.read(bytes, kKeywordLength + 1);
  const SectionEntry& section = got > kKeywordLength ? findSection(bytes) : programSection();
  got += reader.read(bytes + got, section.headerLength - got);
  const size_t textLength = std::min<size_t>(got, kHeaderTextLength);
  std::memcpy(headerText, bytes, textLength);
  headerText[textLength] = '\0';
  return section;
}

// Reads the data up to the end of the file in blocks, summing each while it is fresh in the
// cache. Bytes beyond the buffer are counted, not stored (such a file is always too large).
uint64_t readData(InputReader& reader, uint32_t& checksum) {
  constexpr size_t kBlock = 65536;  // even: no pair of the checksum straddles two blocks
  unsigned char* buffer = dataBuffer();
  uint64_t n = 0;
  while (!reader.ended() && n < kDataBufferCapacity) {
    const size_t got =
        reader.read(buffer + n, std::min<size_t>(kBlock, kDataBufferCapacity - static_cast<size_t>(n)));
    checksum += checksumOf(buffer + n, got);
    n += got;
  }
  unsigned char overflow[4096];
  while (!reader.ended()) n += reader.read(overflow, sizeof overflow);
  return n;
}

void appendCount(char* log, int capacity, const char* format, uint64_t count) {
  char text[128];
  std::snprintf(text, sizeof text, format, static_cast<long long>(count));
  appendLog(log, text, capacity);
}

// The text of the first check the file fails, or null when it passes them all.
const char* rejection(const InputReader& reader, const SectionEntry& section, uint64_t n) {
  if (reader.failed()) return kReadErrorText;
  if (n % 2 != 0) return kUnevenText;
  if (n < section.minimum || n > section.maximum) return kSizeText;
  return nullptr;
}

bool writeUpdateStream(std::FILE* out, const TransferLine& line, const unsigned char* data,
                       size_t n) {
  if (std::fwrite(line.text, 1, line.length, out) != line.length) return false;
  if (n > 0 && std::fwrite(data, 1, n, out) != n) return false;
  // Buffered bytes may still fail to reach the file: only a clean flush counts as written.
  return std::fflush(out) == 0 && std::ferror(out) == 0;
}

}  // namespace

int convertFirmwareFile(std::FILE* in, std::FILE* out, char* log, int capacity,
                        FirmwareSummary* summary) {
  FirmwareSummary found{};
  InputReader reader(in);
  const SectionEntry& section = readHeader(reader, found.headerText);
  std::memcpy(found.keyword, section.keyword, sizeof found.keyword);
  found.dataCount = readData(reader, found.checksum);
  const unsigned char* data = dataBuffer();
  const size_t stored = static_cast<size_t>(std::min<uint64_t>(found.dataCount, kDataBufferCapacity));
  if (summary != nullptr) *summary = found;

  if (const char* text = rejection(reader, section, found.dataCount)) {
    appendCount(log, capacity, text, text == kReadErrorText ? reader.total() : found.dataCount);
    return -1;
  }
  const bool markerPassed = markerTestPasses(section, data, stored);
  const uint16_t identity =
      identifyFirmware(data, stored, markerPassed, section.identityKind, section.extended);

  char sending[sizeof kSendingText + kHeaderTextLength];
  std::snprintf(sending, sizeof sending, kSendingText, found.headerText);
  appendLog(log, sending, capacity);
  const TransferLine line =
      makeTransferLine(found.headerText, static_cast<uint32_t>(stored), found.checksum);
  if (out != nullptr && !writeUpdateStream(out, line, data, stored)) {
    appendLog(log, kWriteErrorText, capacity);
    return -1;
  }
  return identity;
}

}  // namespace firmware
