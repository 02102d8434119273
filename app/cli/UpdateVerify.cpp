#include "app/cli/UpdateVerify.h"

#include "app/PlotterInfo.h"
#include "discovery/DiscoverPlotters.h"
#include "os/Calls.h"

namespace cli {
namespace {

// A plotter shuts off about 15 s after it took an update; the technician then switches it on
// and it starts in a few seconds more. Three minutes leave room for all of it.
constexpr DWORD kVerifyLimitMs = 180000;
constexpr DWORD kPollMs = 2000;

bool samePlotter(const discovery::PlotterRecord& a, const discovery::PlotterRecord& b) {
  if (a.connection != b.connection) return false;
  if (a.connection == discovery::kConnectionDriver) return a.linkPlace == b.linkPlace;
  return discovery::recordText(a.name) == discovery::recordText(b.name);
}

int findAgain(const discovery::PlotterRecord& updated) {
  discovery::discoverPlotters();
  const discovery::PlotterList& list = discovery::plotterList();
  for (int i = 0; i < list.count; ++i) {
    if (samePlotter(list.records[i], updated)) return i;
  }
  return -1;
}

bool changed(const app::PlotterInfo& now, const std::string& before,
             const std::string& bootBefore) {
  if (now.firmware == app::kFailedQueryText) return false;
  return now.firmware != before || now.bootProgram != bootBefore;
}

}  // namespace

Verification verifyUpdate(const discovery::PlotterRecord& updated, const std::string& before,
                          const std::string& bootBefore, std::ostream& notes) {
  Verification result;
  result.before = before;
  notes << "Waiting up to " << kVerifyLimitMs / 1000
        << " s for the plotter to shut off and come back: when it has shut off, switch it on."
        << std::endl;
  bool listed = false;  // at the last look
  for (DWORD waited = 0; waited <= kVerifyLimitMs; waited += kPollMs) {
    const int index = findAgain(updated);
    listed = index >= 0;
    result.after.clear();
    if (listed) {
      const app::PlotterInfo now = app::fillPlotterInfo(index);
      result.after = now.firmware;
      if (changed(now, before, bootBefore)) {
        result.back = true;
        return result;
      }
    }
    os::Sleep(kPollMs);
  }
  result.failure = listed ? "the plotter still reports the firmware it had before the update ('" +
                                result.after + "')"
                          : "the plotter did not come back within " +
                                std::to_string(kVerifyLimitMs / 1000) + " s";
  return result;
}

}  // namespace cli
