#include "app/cli/RecordText.h"

namespace cli {

std::string connectionName(int16_t connection) {
  switch (connection) {
    case discovery::kConnectionDriver:
      return "driver";
    case discovery::kConnectionPrinter:
      return "printer";
    case discovery::kConnectionParallel:
      return "parallel";
    default:
      return "other";
  }
}

std::string kindName(int16_t kind) {
  return kind == 1 ? "plotter" : kind == 2 ? "engraver" : "unknown";
}

JsonObject recordJson(int index, const discovery::PlotterRecord& record) {
  return JsonObject()
      .add("index", int64_t{index})
      .add("name", discovery::recordText(record.name))
      .add("port", discovery::recordText(record.port))
      .add("parentPrefix", discovery::recordText(record.parentPrefix))
      .add("serial", discovery::recordText(record.serial))
      .add("instance", discovery::recordText(record.instanceText))
      .add("sizeClass", int64_t{record.sizeClass})
      .add("kind", int64_t{record.kind})
      .add("brand", int64_t{record.brand})
      .add("connection", int64_t{record.connection})
      .add("modelRow", int64_t{record.modelRow})
      .add("linkPlace", int64_t{record.linkPlace});
}

}  // namespace cli
