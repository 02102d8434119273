// A query's reply on the vendor-driver connection is what a plotter sends on the bulk IN pipe:
// outside bytes. Whatever transfers arrive, and whatever status word comes before them, the
// query gives a reply of at most 300 bytes or fails with an empty reply, a nonzero status word
// fails with that word, and closing the link leaves no handle open.
//
// Input: byte 0 holds flags (bit 0: the plotter answers with the status word of bytes 1-2);
// then the transfers the plotter sends, each a 2-byte length (mod 1024, little-endian) and its
// bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "channel/QueryTransfer.h"
#include "channel/TransferChannel.h"
#include "channel/TransferJob.h"
#include "os/sim/SimMachine.h"
#include "plotter/PlotterLink.h"
#include "sim/VirtualPlotter.h"
#include "usb/UsbApi.h"

namespace {

std::vector<std::vector<BYTE>> transfersOf(const uint8_t* data, size_t size) {
  std::vector<std::vector<BYTE>> transfers;
  while (size >= 2) {
    size_t length = std::min<size_t>((data[0] | data[1] << 8) % 1024, size - 2);
    transfers.emplace_back(data + 2, data + 2 + length);
    data += 2 + length;
    size -= 2 + length;
  }
  return transfers;
}

bool replyKeepsItsPromise(bool answered, const channel::QueryReply& reply, WORD word, DWORD error) {
  if (word != 0)
    return !answered && error == (channel::kDeviceStatusBase | word) && reply.replyLength == 0;
  if (!answered) return reply.replyLength == 0 && reply.replyBuffer[0] == '\0';
  return reply.replyLength <= channel::kMaxReplyLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const WORD word = (data[0] & 1) ? WORD(data[1] | data[2] << 8) : WORD(0);
  os::sim::SimMachine machine;
  os::ScopedPlatform platform(machine);
  usb::initUsbLibrary();
  {
    sim::VirtualPlotter plotter;
    plotter.plugIn(machine);
    const size_t handles = machine.openHandleCount();
    plotter.misbehaviour.statusWord = word;
    plotter.misbehaviour.replyTransfers = transfersOf(data + 3, size - 3);
    plotter::selectLinkPlace(0);
    if (plotter::openPlotterLink() != 0) std::abort();
    char buffer[channel::kMaxReplyLength] = "earlier reply";
    channel::QueryReply reply{13, buffer};
    channel::TransferChannel* link = plotter::linkChannel();
    const bool answered = channel::queryTransfer(link, "5", &reply);
    if (!replyKeepsItsPromise(answered, reply, word, channel::transferChannelError(link))) {
      std::abort();
    }
    // Whatever was left of those transfers, the next query ends too.
    plotter.misbehaviour = {};
    channel::queryTransfer(link, "6", &reply);
    plotter::closePlotterLink();
    if (machine.openHandleCount() != handles) std::abort();
  }
  return 0;
}
