// The shared temporary name: where the update procedure writes the converted firmware before it
// sends it. One name for the whole run, chosen the first time it is needed.
#pragma once

#include <string>

#include "os/UniqueFile.h"

namespace plotter {

// Gives the shared name its value once: "~plusb" and a decimal number, in tempDirectory(), for
// a file that does not exist yet. Later calls change nothing.
void ensureTempName();
// The temporary directory: the one the environment variable TMP names when it is there, else
// TEMP's, else the system's temporary directory, else the current one.
std::string tempDirectory();
// The shared name; empty before ensureTempName.
const char* tempName();

// Creates the file of the shared name for binary writing, exclusively: it never opens a file or
// a link that is already there, so no stream goes into a file this program did not create. A
// file this run created there before (left by a failed update) is removed first. Null (errno
// set) when the name is empty or the file cannot be created.
os::UniqueFile createTempFile();
// Removes the file of the shared name if this run created it.
void removeTempFile();

}  // namespace plotter
