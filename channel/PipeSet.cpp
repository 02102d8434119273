#include "channel/PipeSet.h"

#include <initializer_list>

namespace channel {

void closePipeSet(PipeSet& pipes) {
  for (USB_PIPE_HANDLE* pipe : {&pipes.bulkIn, &pipes.bulkOut, &pipes.interrupt}) {
    if (*pipe) USBClosePipe(pipe);
  }
}

}  // namespace channel
