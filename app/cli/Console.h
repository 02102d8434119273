// Where a command writes: its result on out, diagnostics on err; and where the answers to its
// questions come from, when they come from a person at a terminal.
#pragma once

#include <istream>
#include <ostream>

namespace cli {

struct Console {
  std::ostream& out;
  std::ostream& err;
  // Null, or the technician's terminal (standard input when it is one).
  std::istream* answers = nullptr;
};

}  // namespace cli
