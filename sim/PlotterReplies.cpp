#include "sim/PlotterReplies.h"

#include <optional>
#include <utility>

#include "sim/VirtualPlotter.h"

namespace sim {
namespace {

const std::string kPlottingStatus = "Plotting";

// The state's text a built-in query asks for, without its ending.
std::optional<std::string> builtInText(const PlotterState& s, const std::string& query,
                                       bool plotting) {
  const std::string* status = plotting ? &kPlottingStatus : &s.status;
  const std::pair<const char*, const std::string*> table[] = {
      {"5", s.updateMode ? &s.bootPlatformName : &s.platformName},
      {"6", &s.firmwareText}, {"7", &s.bootText},     {"8", &s.hardwareText},
      {"A", &s.tool},         {"B", status},          {"4;", &s.fixtures},
      {"9", &s.online},       {"S:", &s.serialNumber}};
  for (const auto& [letters, text] : table) {
    if (query == letters) return *text;
  }
  if (query == "S=:") return s.updateMode ? "1" : "0";
  return std::nullopt;
}

}  // namespace

bool answersQuery(const PlotterState& state, const std::string& query) {
  return state.replies.count(query) != 0 || builtInText(state, query, false).has_value();
}

std::string replyTo(const PlotterState& state, const std::string& query, bool plotting) {
  if (auto custom = state.replies.find(query); custom != state.replies.end()) {
    return custom->second;
  }
  std::optional<std::string> text = builtInText(state, query, plotting);
  return text ? *text + state.replyEnding : std::string();
}

}  // namespace sim
