#include "sim/WorldPlotter.h"

#include <cstdio>
#include <string_view>

#include "discovery/CaseInsensitive.h"
#include "discovery/ModelTable.h"
#include "sim/WorldValues.h"

namespace sim {
namespace {

constexpr uint64_t kWordMax = 0xFFFF;
constexpr uint64_t kChunkMax = 0xFFFFFFFF;         // a file's chunks are counted in 32 bits
constexpr uint64_t kStaleRepliesMax = 1000;        // enough for any drill; each one is kept

using Apply = std::string (*)(PlotterPlan&, std::string_view key, const std::string& value);
enum class Scope { Any, Driver, Printer };

struct KeyRule {
  std::string_view key;
  Scope scope;
  Apply apply;
};

template <std::string PlotterState::*field>
std::string text(PlotterPlan& plan, std::string_view, const std::string& value) {
  plan.state.*field = value;
  return {};
}

std::string flag(bool& target, std::string_view key, const std::string& value) {
  std::optional<bool> yes = yesNo(value);
  if (!yes) return "bad yes/no for " + std::string(key) + ": \"" + shownText(value) + "\"";
  target = *yes;
  return {};
}

template <typename Number>
std::string number(Number& target, std::string_view key, const std::string& value, uint64_t max) {
  uint64_t read = 0;
  std::string fault = readNumber(key, value, max, &read);
  if (fault.empty()) target = static_cast<Number>(read);
  return fault;
}

std::string online(PlotterPlan& plan, std::string_view key, const std::string& value) {
  bool on = true;
  std::string fault = flag(on, key, value);
  plan.misbehaviour.switchedOff = !on;
  return fault;
}

std::string powerOnAfter(PlotterPlan& plan, std::string_view key, const std::string& value) {
  if (value == "never") {
    plan.powerOnAfter.reset();
    return {};
  }
  os::sim::Tick delay = 0;
  std::string fault = number(delay, key, value, kMillisecondsMax);
  plan.powerOnAfter = delay;
  return fault;
}

std::string vanishAtChunk(PlotterPlan& plan, std::string_view key, const std::string& value) {
  size_t chunk = 0;
  std::string fault = number(chunk, key, value, kChunkMax);
  plan.misbehaviour.vanishAtChunk = chunk;
  return fault;
}

// The device is listed but does not open, with the error Windows gives for the reason.
std::string openError(PlotterPlan& plan, std::string_view key, const std::string& value) {
  if (value == "access-denied") {
    plan.misbehaviour.openError = ERROR_ACCESS_DENIED;
  } else if (value == "in-use") {
    plan.misbehaviour.openError = ERROR_SHARING_VIOLATION;
  } else {
    return "unknown " + std::string(key) + " \"" + shownText(value) +
           "\" (access-denied or in-use)";
  }
  return {};
}

constexpr KeyRule kRules[] = {
    {"type", Scope::Any, text<&PlotterState::platformName>},
    {"boot-type", Scope::Any, text<&PlotterState::bootPlatformName>},
    {"update-mode", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return flag(s.state.updateMode, k, v);
     }},
    {"firmware", Scope::Any, text<&PlotterState::firmwareText>},
    {"boot", Scope::Any, text<&PlotterState::bootText>},
    {"hardware", Scope::Any, text<&PlotterState::hardwareText>},
    {"tool", Scope::Any, text<&PlotterState::tool>},
    {"status", Scope::Any, text<&PlotterState::status>},
    {"fixtures", Scope::Any, text<&PlotterState::fixtures>},
    {"serial", Scope::Any, text<&PlotterState::serialNumber>},
    {"vendor-id", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.identity.vendorId, k, v, kWordMax);
     }},
    {"product-id", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.identity.productId, k, v, kWordMax);
     }},
    {"model", Scope::Printer,
     [](PlotterPlan& s, std::string_view, const std::string& v) {
       s.model = v;
       return std::string();
     }},
    {"instance", Scope::Any,
     [](PlotterPlan& s, std::string_view, const std::string& v) {
       s.identity.instanceSerial = v;
       return std::string();
     }},
    {"online", Scope::Printer, online},
    {"silent", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return flag(s.misbehaviour.silent, k, v);
     }},
    {"power-on-after", Scope::Any, powerOnAfter},
    {"status-word", Scope::Driver,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.misbehaviour.statusWord, k, v, kWordMax);
     }},
    {"vanish-at-chunk", Scope::Any, vanishAtChunk},
    {"stale-replies", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.misbehaviour.staleReplies, k, v, kStaleRepliesMax);
     }},
    {"reply-delay", Scope::Any,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.misbehaviour.replyDelay, k, v, kMillisecondsMax);
     }},
    {"chunk-delay", Scope::Driver,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return number(s.misbehaviour.chunkDelay, k, v, kMillisecondsMax);
     }},
    {"open-error", Scope::Driver, openError},
    {"refuses-data", Scope::Printer,
     [](PlotterPlan& s, std::string_view k, const std::string& v) {
       return flag(s.misbehaviour.refusesData, k, v);
     }},
};

std::string apply(PlotterPlan& plan, const WorldEntry& entry) {
  for (const KeyRule& rule : kRules) {
    if (rule.key != entry.key) continue;
    const bool printer = plan.identity.connection == Connection::Printer;
    if (rule.scope == Scope::Driver && printer) {
      return entry.key + " applies to driver plotters only";
    }
    if (rule.scope == Scope::Printer && !printer) {
      return entry.key + " applies to printer plotters only";
    }
    return rule.apply(plan, entry.key, entry.value);
  }
  return "unknown key " + entry.key + " in a plotter section";
}

std::string connection(PlotterPlan& plan, const WorldEntry& entry) {
  if (entry.value == "driver") {
    plan.identity.connection = Connection::Driver;
  } else if (entry.value == "printer") {
    plan.identity.connection = Connection::Printer;
  } else {
    return "unknown connection \"" + shownText(entry.value) + "\" (driver or printer)";
  }
  return {};
}

// The model table's hardware IDs end in the checksum Windows forms from the printer's device ID;
// worlds written when the table carried checksums of its own still name their rows by the
// rest of the ID, and are read with the row's hardware ID.
int16_t modelRowOf(std::string& model) {
  int16_t row = discovery::findModelByHardwareId(model);
  constexpr size_t kChecksumLength = 4;
  if (row >= 0 || model.size() <= kChecksumLength) return row;
  const std::string_view name = std::string_view(model).substr(0, model.size() - kChecksumLength);
  for (const discovery::ModelEntry& entry : discovery::modelTable()) {
    const std::string_view id = entry.hardwareId;
    if (id.size() == model.size() && discovery::equalIgnoringCase(id.substr(0, name.size()), name)) {
      model = entry.hardwareId;
      return discovery::findModelByHardwareId(model);
    }
  }
  return -1;
}

// A printer's model and the USB identifiers it leads to.
std::optional<WorldFault> modelFault(const WorldSection& section, PlotterPlan& plan) {
  const WorldEntry* model = section.find("model");
  if (!model) return WorldFault{section.line, "printer plotter " + plan.label + " needs a model"};
  if (std::string what = keyNameFault("model", plan.model); !what.empty()) {
    return WorldFault{model->line, what};
  }
  const int16_t row = modelRowOf(plan.model);
  const bool vendorGiven = section.find("vendor-id") != nullptr;
  const bool productGiven = section.find("product-id") != nullptr;
  if (row < 0 && !(vendorGiven && productGiven)) {
    return WorldFault{model->line, "model " + shownText(plan.model) +
                                       " names no row of the model table: give vendor-id and "
                                       "product-id"};
  }
  if (row < 0) return std::nullopt;
  const discovery::ModelEntry& entry = discovery::modelTable()[size_t(row)];
  if (!vendorGiven) plan.identity.vendorId = entry.vendorId;
  if (!productGiven) plan.identity.productId = entry.productId;
  return std::nullopt;
}

std::string defaultInstance(size_t index) {
  char text[32];
  std::snprintf(text, sizeof text, "VK%07zu", index + 1);
  return text;
}

std::optional<WorldFault> settingsFault(const WorldSection& section, PlotterPlan& plan) {
  if (const WorldEntry* entry = section.find("connection")) {
    if (std::string what = connection(plan, *entry); !what.empty()) {
      return WorldFault{entry->line, what};
    }
  }
  for (const WorldEntry& entry : section.entries) {
    if (entry.key == "connection") continue;
    if (std::string what = apply(plan, entry); !what.empty()) return WorldFault{entry.line, what};
  }
  if (std::string what = keyNameFault("instance", plan.identity.instanceSerial, "#");
      !what.empty()) {
    const WorldEntry* instance = section.find("instance");
    return WorldFault{instance ? instance->line : section.line, what};
  }
  if (plan.identity.connection == Connection::Printer) return modelFault(section, plan);
  return std::nullopt;
}

}  // namespace

std::optional<PlotterPlan> readPlotterSection(const WorldSection& section, size_t index,
                                              WorldFault* fault) {
  PlotterPlan plan;
  plan.label = section.name;
  plan.line = section.line;
  plan.state.replyEnding.clear();
  plan.identity.instanceSerial = defaultInstance(index);
  if (std::optional<WorldFault> found = settingsFault(section, plan)) {
    *fault = std::move(*found);
    return std::nullopt;
  }
  return plan;
}

}  // namespace sim
