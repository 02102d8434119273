#include "discovery/PlotterRecord.h"

#include <algorithm>
#include <cstring>

#include "discovery/CaseInsensitive.h"

namespace discovery {

PlotterList& plotterList() {
  static PlotterList list{{}, 0, -1};
  return list;
}

PlotterRecord* selectedRecord() {
  PlotterList& list = plotterList();
  if (list.selected < 0 || list.selected >= list.count) return nullptr;
  return &list.records[list.selected];
}

std::string recordText(const char (&field)[kRecordTextSize]) {
  return std::string(field, strnlen(field, kRecordTextSize));
}

void setRecordText(char (&field)[kRecordTextSize], std::string_view text) {
  size_t count = std::min<size_t>(text.size(), kRecordTextSize - 1);
  std::memcpy(field, text.data(), count);
  field[count] = '\0';
}

void appendRecordText(char (&field)[kRecordTextSize], std::string_view text) {
  size_t used = strnlen(field, kRecordTextSize - 1);
  size_t count = std::min<size_t>(text.size(), kRecordTextSize - 1 - used);
  std::memcpy(field + used, text.data(), count);
  field[used + count] = '\0';
}

namespace {

// Device paths and instance names are compared as Windows compares them, without regard to
// letter case (the command executor lower-cases a record's instance text in place).
bool sameText(const char (&a)[kRecordTextSize], const char (&b)[kRecordTextSize]) {
  return equalIgnoringCase(recordText(a), recordText(b));
}

}  // namespace

bool sameDevice(const PlotterRecord& a, const PlotterRecord& b) {
  if (a.connection != b.connection) return false;
  // A driver record without a path was never opened: it stands for no device.
  if (a.connection == kConnectionDriver)
    return a.devicePath[0] != '\0' && sameText(a.devicePath, b.devicePath);
  return sameText(a.port, b.port) && sameText(a.parentPrefix, b.parentPrefix) &&
         sameText(a.instanceText, b.instanceText);
}

}  // namespace discovery
