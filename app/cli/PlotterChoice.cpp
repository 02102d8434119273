#include "app/cli/PlotterChoice.h"

#include <charconv>

#include "discovery/DiscoverPlotters.h"
#include "discovery/PlotterRecord.h"
#include "plotter/PlotterLink.h"

namespace cli {

int choosePlotter(const Arguments& args, ExitCode* code, std::string* error) {
  int index = 0;
  if (args.has("--plotter")) {
    const std::string& text = args.value("--plotter");
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (status != std::errc() || end != text.data() + text.size() || index < 0) {
      *code = kExitUsage;
      *error = "--plotter takes a list index (0, 1, ...), not '" + text + "'";
      return -1;
    }
  }
  const int count = discovery::plotterList().count;
  if (index >= count) {
    *code = kExitFailed;
    *error = count == 0 ? std::string("No plotters detected")
                        : "no plotter " + std::to_string(index) + ": " + std::to_string(count) +
                              " listed (velkorctl list shows them)";
    return -1;
  }
  return index;
}

void selectListed(int index) {
  discovery::PlotterList& list = discovery::plotterList();
  list.selected = static_cast<int16_t>(index);
  const discovery::PlotterRecord& record = list.records[index];
  if (record.connection == discovery::kConnectionDriver) plotter::selectLinkPlace(record.linkPlace);
}

int selectChosenPlotter(const Arguments& args, ExitCode* code, std::string* error) {
  discovery::discoverPlotters();
  const int index = choosePlotter(args, code, error);
  if (index >= 0) selectListed(index);
  return index;
}

}  // namespace cli
