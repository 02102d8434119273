// A plotter record as velkorctl shows it: the names of its numbers and its fields as JSON.
#pragma once

#include <cstdint>
#include <string>

#include "app/cli/Json.h"
#include "discovery/PlotterRecord.h"

namespace cli {

std::string connectionName(int16_t connection);  // "driver", "printer", "parallel", "other"
std::string kindName(int16_t kind);              // "plotter", "engraver", "unknown"
// Every field of the record, numbers as numbers, with its list index.
JsonObject recordJson(int index, const discovery::PlotterRecord& record);

}  // namespace cli
