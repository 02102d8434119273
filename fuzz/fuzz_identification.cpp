// Identification of vendor-driver plotters reads what plotters reply: outside bytes. The input
// is a flags byte (bit 0: the update-only program's rules; bit 1: the plotter is in update mode)
// and then the replies to "5", "6" and "A", each a length byte and its bytes, given to a virtual
// plotter exactly so. Whatever they say, the scan lists at most that plotter, with a terminated
// name, a size class the rules give, and every handle closed again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "discovery/DiscoverPlotters.h"
#include "discovery/Edition.h"
#include "discovery/PlotterRecord.h"
#include "os/sim/SimMachine.h"
#include "plotter/PlotterLink.h"
#include "sim/VirtualPlotter.h"
#include "usb/UsbApi.h"

namespace {

// The next length-prefixed reply of the input; empty past its end.
std::string nextReply(const uint8_t*& data, size_t& size) {
  if (size == 0) return {};
  size_t length = std::min<size_t>(data[0], size - 1);
  std::string reply(reinterpret_cast<const char*>(data + 1), length);
  data += 1 + length;
  size -= 1 + length;
  return reply;
}

bool plausible(const discovery::PlotterRecord& record) {
  if (strnlen(record.name, discovery::kRecordTextSize) >= discovery::kRecordTextSize) return false;
  if (record.connection != discovery::kConnectionDriver || record.linkPlace != 0) return false;
  const int16_t size = record.sizeClass;
  return (size >= 1 && size <= 5) || size == discovery::kUpdateModeSizeClass;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  ++data;
  --size;
  os::sim::SimMachine machine;
  os::ScopedPlatform platform(machine);
  usb::initUsbLibrary();
  discovery::setEdition((flags & 1) ? discovery::Edition::UpdateOnly : discovery::Edition::Full);
  {
    sim::VirtualPlotter plotter;
    plotter.state.updateMode = (flags & 2) != 0;
    for (const char* query : {"5", "6", "A"}) plotter.state.replies[query] = nextReply(data, size);
    plotter.plugIn(machine);
    const size_t handles = machine.openHandleCount();
    discovery::plotterList().count = 0;
    discovery::scanDriverPlotters();
    const discovery::PlotterList& list = discovery::plotterList();
    if (list.count > 1 || (list.count == 1 && !plausible(list.records[0]))) std::abort();
    if (machine.openHandleCount() != handles || plotter::linkDevice() != nullptr) std::abort();
  }
  plotter::selectLinkPlace(0);
  return 0;
}
