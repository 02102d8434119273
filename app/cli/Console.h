// Where a command writes: its result on out, diagnostics on err.
#pragma once

#include <ostream>

namespace cli {

struct Console {
  std::ostream& out;
  std::ostream& err;
};

}  // namespace cli
