// After an update was sent: wait for the plotter to come back from the shut-off that taking
// the firmware ends with, find it again and read what it now runs.
#pragma once

#include <ostream>
#include <string>

#include "discovery/PlotterRecord.h"

namespace cli {

struct Verification {
  bool back = false;    // the plotter was listed again with a changed firmware or boot text
  std::string before;   // the firmware text the dialog showed before the update
  std::string after;    // what it shows now ("" when the plotter did not come back)
  std::string failure;  // why it does not count as verified; empty when it does
};

// Polls until the plotter that was updated (found by its connection and link place, or by its
// print queue) lists a firmware or boot text other than before, or the time limit runs out.
// Tells the technician on notes what to do and what it waits for.
Verification verifyUpdate(const discovery::PlotterRecord& updated, const std::string& before,
                          const std::string& bootBefore, std::ostream& notes);

}  // namespace cli
