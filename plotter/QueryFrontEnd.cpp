#include "plotter/QueryFrontEnd.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "channel/QueryTransfer.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "plotter/CommandExecutor.h"
#include "plotter/CommandTable.h"
#include "plotter/PlotterLink.h"

namespace plotter {
namespace {

constexpr int16_t kNotApplicable = -1;
constexpr int16_t kRefused = -2;
constexpr int16_t kNoReply = -4;
// The printing-class route answers this query itself, without contacting the plotter.
constexpr char kOnlineQuery = '9';
constexpr const char* kOnlineReply = "0";
constexpr size_t kFixturesReplySize = 300;

// The command a query letter asks for on the printing-class connection; -1 for none.
int32_t commandForLetter(char letter) {
  switch (letter) {
    case '4':
      return kFixtures;
    case '5':
      return kPlotterType;
    case '6':
      return kFirmware;
    case '7':
      return kBootVersion;
    case '8':
      return kPlatType;
    case 'A':
      return kToolInfo;
    case 'B':
      return kStatus;
    default:
      return -1;
  }
}

// Copies what fits of the reply into the caller's buffer, always terminated within capacity.
void copyReply(const char* bytes, size_t count, char* reply, int capacity) {
  if (!reply || capacity < 1) return;
  size_t copied = std::min(count, static_cast<size_t>(capacity) - 1);
  std::memcpy(reply, bytes, copied);
  reply[copied] = '\0';
}

int16_t selectedConnection() {
  const discovery::PlotterRecord* record = discovery::selectedRecord();
  return record ? record->connection : -1;
}

}  // namespace

int16_t queryPlotter(const char* query, char* reply, int capacity) {
  switch (selectedConnection()) {
    case discovery::kConnectionDriver:
      return queryOverDriver(query, reply, capacity);
    case discovery::kConnectionPrinter:
      return queryOverPrintClass(query, reply, capacity);
    default:
      return 0;
  }
}

int16_t queryOverDriver(const char* query, char* reply, int capacity) {
  if (int error = ensurePlotterLinkOpen()) return static_cast<int16_t>(error);
  char received[channel::kMaxReplyLength];
  channel::QueryReply answer{0, received};
  if (!channel::queryTransfer(linkChannel(), query, &answer)) {
    copyReply("", 0, reply, capacity);
    return kNoReply;
  }
  DWORD count = std::min(answer.replyLength, channel::kMaxReplyLength);
  const char* end = std::find(received, received + count, '\r');
  copyReply(received, static_cast<size_t>(end - received), reply, capacity);
  return static_cast<int16_t>(count);
}

int16_t queryOverPrintClass(const char* query, char* reply, int capacity) {
  char letter = query ? query[0] : '\0';
  if (letter == kOnlineQuery) {
    copyReply(kOnlineReply, 1, reply, capacity);
    return 1;
  }
  int16_t row = discovery::plotterList().selected;
  drainReplies(row);
  int32_t code = commandForLetter(letter);
  if (code < 0) return kNotApplicable;
  std::string text;
  if (!executeCommand(row, code, text)) return kNoReply;
  size_t length = strnlen(text.data(), text.size());
  copyReply(text.data(), length, reply, capacity);
  return static_cast<int16_t>(length);
}

int16_t setSerialNumber(const char* serial) {
  if (selectedConnection() != discovery::kConnectionPrinter) return kNotApplicable;
  if (!serial) return kRefused;
  std::string argument = std::string(serial) + ":";
  int32_t code = discovery::currentEditionFacts().setSerialNumberCode;
  return executeCommand(discovery::plotterList().selected, code, argument) ? 0 : kRefused;
}

int16_t queryFixtures(char (&out)[kFixturesSize]) {
  char buffer[kFixturesReplySize] = {};
  int16_t result = queryPlotter("4;", buffer, kFixturesSize);
  if (result > 0) std::memcpy(out, buffer, kFixturesSize);
  return result;
}

}  // namespace plotter
