#include "sim/Plots.h"

#include <algorithm>

namespace sim {

void Plots::begin(std::string name) {
  records_.push_back({std::move(name), 0, 0, 0, false});
  running_ = WordChecksum();
  open_ = true;
}

uint32_t Plots::add(const std::string& name, const uint8_t* data, size_t length,
                    os::sim::Tick now) {
  if (!open_ || records_.back().name != name) begin(name);
  PlotRecord& record = records_.back();
  if (length == 0) return record.checksum;
  running_.add(data, length);
  record.checksum = running_.value();
  record.bytes += length;
  ++record.pieces;
  if (!plotting(now)) {
    firstInProgress_ = records_.size() - 1;
    drawnAt_ = now;
  }
  os::sim::Tick drawing = os::sim::Tick(length) * kPlotMillisecondsPer64KiB / 65536;
  drawnAt_ = std::max(drawnAt_ + drawing, now + kShortestPlot);
  return record.checksum;
}

bool Plots::abort(os::sim::Tick now) {
  if (!plotting(now)) return false;
  for (size_t i = firstInProgress_; i < records_.size(); ++i) records_[i].aborted = true;
  drawnAt_ = now;
  return true;
}

void Plots::stop() {
  drawnAt_ = 0;
  open_ = false;
}

}  // namespace sim
