// The plotter list: the program's one picture of the plotters attached, rebuilt by each
// discovery and read by index everywhere else. Plain data, so that the layers below discovery
// may read it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace discovery {

inline constexpr int kRecordTextSize = 128;
inline constexpr int kPlotterListCapacity = 50;

// Connection values of a record.
inline constexpr int16_t kConnectionOther = 0;     // a queue on any other port
inline constexpr int16_t kConnectionParallel = 1;  // a queue on an "LPT" port
inline constexpr int16_t kConnectionDriver = 2;    // the vendor driver
inline constexpr int16_t kConnectionPrinter = 3;   // a USB printer port of the printing class

// The size class of a plotter whose boot program answers: it is in update mode.
inline constexpr int16_t kUpdateModeSizeClass = 99;

struct PlotterRecord {
  char name[kRecordTextSize];
  char port[kRecordTextSize];
  char parentPrefix[kRecordTextSize];
  char serial[kRecordTextSize];
  char instanceText[kRecordTextSize];
  int16_t sizeClass;
  int16_t kind;
  int16_t brand;
  int16_t connection;
  int16_t modelRow;
  int16_t linkPlace;
  // Connection 2: the device-interface path of the device at the link place, which names its
  // USB instance; a link place passes to another plotter when one before it goes away.
  char devicePath[kRecordTextSize];
};

struct PlotterList {
  PlotterRecord records[kPlotterListCapacity];
  int16_t count;     // records 0 to count - 1 are valid
  int16_t selected;  // the record that queries, commands, plots and updates address; -1: none
};

// The process-wide list: zeroed, with nothing selected, at program start.
PlotterList& plotterList();
// The selected record, or null when the selected index names no valid record.
PlotterRecord* selectedRecord();

// A record field's text, up to its terminator (or all 128 bytes of a field that has none).
std::string recordText(const char (&field)[kRecordTextSize]);
// Whether two records, of two discoveries, stand for the same device: on the vendor driver the
// same device path, elsewhere the same port and USB instance (parent prefix and instance text).
// Names and serials are what discovery made of the plotter's replies, and change when it
// restarts in update mode or a query fails once; they say nothing of which device it is.
bool sameDevice(const PlotterRecord& a, const PlotterRecord& b);
// Copies text into a record field, cut to 127 characters and always terminated.
void setRecordText(char (&field)[kRecordTextSize], std::string_view text);
// Appends text to a record field, never making it longer than 127 characters.
void appendRecordText(char (&field)[kRecordTextSize], std::string_view text);

}  // namespace discovery
