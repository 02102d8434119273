#include "discovery/PlotterRecord.h"

#include <algorithm>
#include <cstring>

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

bool sameRecord(const PlotterRecord& a, const PlotterRecord& b) {
  return a.connection == b.connection && a.linkPlace == b.linkPlace &&
         recordText(a.name) == recordText(b.name) && recordText(a.port) == recordText(b.port) &&
         recordText(a.serial) == recordText(b.serial) &&
         recordText(a.instanceText) == recordText(b.instanceText);
}

}  // namespace discovery
