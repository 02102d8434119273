#include "os/sim/LastError.h"

namespace os::sim {

DWORD& threadLastError() {
  thread_local DWORD error = ERROR_SUCCESS;
  return error;
}

}  // namespace os::sim
