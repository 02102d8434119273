// The plot data a virtual plotter received, file by file, and the plot it is drawing.
//
// Drawing takes simulated time: 1 s for every 64 KiB of plot data, and at least 2 s after the
// latest data arrived. Data that arrives while a plot is in progress is drawn after what is
// already there. While a plot is in progress the status query "B" answers "Plotting"; a reset
// ends it at once and marks every file still being drawn as aborted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "os/sim/SimDevice.h"
#include "sim/WordChecksum.h"

namespace sim {

inline constexpr os::sim::Tick kPlotMillisecondsPer64KiB = 1000;
inline constexpr os::sim::Tick kShortestPlot = 2000;
// Of the plot data a file request or a RAW job brings, a plotter asked to keep received bytes
// keeps this many from the start; of the rest only the count and the checksum, so that a plot
// of gigabytes costs a test no memory.
inline constexpr size_t kKeptPlotBytes = 65536;

// One plot file: on the driver face the data of one file request, on the printing class a run
// of RAW jobs with the same document name, one after the other.
struct PlotRecord {
  std::string name;  // the file name of the request, or the jobs' document name
  uint64_t bytes = 0;
  uint32_t checksum = 0;  // WordChecksum of all its bytes
  size_t pieces = 0;      // the bulk OUT writes or the RAW jobs that carried data to it
  bool aborted = false;   // a reset ended the plot while this file was being drawn
};

class Plots {
 public:
  // A new file begins (the one before it is complete).
  void begin(std::string name);
  // Plot data of the named file: the file begun last if it has that name and nothing came
  // between, otherwise a new one. Nothing is kept of the bytes but their count and checksum;
  // returns the file's checksum so far.
  uint32_t add(const std::string& name, const uint8_t* data, size_t length, os::sim::Tick now);
  // Something other than plot data came: the next data begins a file of its own.
  void end() { open_ = false; }
  // Ends the plot in progress; false when there is none. The file begun last stays open.
  bool abort(os::sim::Tick now);
  // The plotter went off: nothing is drawn any more.
  void stop();
  bool plotting(os::sim::Tick now) const { return now < drawnAt_; }
  const std::vector<PlotRecord>& records() const { return records_; }

 private:
  std::vector<PlotRecord> records_;
  WordChecksum running_;  // of the file begun last
  bool open_ = false;
  os::sim::Tick drawnAt_ = 0;   // when everything received so far is drawn
  size_t firstInProgress_ = 0;  // the first record being drawn, while plotting
};

}  // namespace sim
