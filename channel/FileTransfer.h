// Sending a file: plot data, or a firmware update stream.
#pragma once

#include <string_view>

#include "channel/TransferChannel.h"

namespace channel {

// The file name a file request carries: the path's last component (base name and extension).
// Empty when the path has no base name (it ends in a separator, or the last component is only
// an extension).
std::string_view transferFileName(std::string_view path);

// Sends the file at path under one device lock: the chunk-size announcement, then the file
// request (code 02, or 08 with the firmware flag) and the file's bytes straight from a read-only
// mapping, one window of it at a time (channel/FileWindow.h). A path with no base name, or a
// name or file too long for the request, fails before anything is sent.
bool sendFileTransfer(TransferChannel* channel, const char* path, bool firmware);

}  // namespace channel
