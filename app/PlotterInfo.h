// The information fields of the selected plotter as the main dialog shows them: each asked of
// the plotter through the query front end, "???" where a query failed. The full program shows
// eight fields, the update-only program the first four after the serial.
#pragma once

#include <string>

namespace app {

struct PlotterInfo {
  std::string serialNumber;  // the record's serial (no query; full program only)
  std::string plotterType;   // "5"
  std::string firmware;      // "6", or the update-mode text
  std::string bootProgram;   // "7"
  std::string hardware;      // "8"
  std::string fixtures;      // "4;" (full program only)
  std::string toolType;      // "A" (full program only)
  std::string status;        // "B" (full program only)
  // What the dialog keeps of them: the firmware field's text, the leading integer of the boot
  // program field and the record's name.
  std::string firmwareVersion;
  long bootNumber = 0;
  std::string displayName;
};

inline constexpr const char kFailedQueryText[] = "???";

// One field asked of the selected plotter: its reply to the query, or "???" when the query failed.
std::string queryField(const char* letters);
std::string fixturesField();

// Selects the plotter list entry (index -1: none, every field empty) and asks it, in the
// dialog's order, with the fields of the running edition; a plotter on the vendor driver gets its
// link place selected first.
PlotterInfo fillPlotterInfo(int index);

}  // namespace app
