#include "app/tui/TerminalPump.h"

#include <poll.h>

namespace app::tui {
namespace {

// The longest the dialog's thread waits for a key or a wake before it looks at the operation
// again.
constexpr int kPumpWaitMs = 50;

}  // namespace

// The calls run between two rounds, so each round first shows what they changed.
void TerminalPump::pump() {
  dialog_.redraw(terminal_.resized());
  pollfd waits[] = {{terminal_.input(), POLLIN, 0}, {wakePipe_.readEnd(), POLLIN, 0}};
  poll(waits, 2, kPumpWaitMs);
  wakePipe_.drain();
  terminal_.flushInput();
  if (terminal_.takeCloseAsked()) live_->requestClose();
}

}  // namespace app::tui
