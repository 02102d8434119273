// The stdio file owner under the firmware layer's names. The firmware parser itself only
// borrows open files.
#pragma once

#include "os/UniqueFile.h"

namespace firmware {

using os::FileCloser;
using os::openFile;
using os::UniqueFile;

}  // namespace firmware
