// The few host calls velkorctl makes itself, beside the platform line: they concern the
// technician's own files and terminal, not the plotters, and differ between the hosts
// (HostSystemPosix.cpp, HostSystemWin32.cpp; the build takes the one for its target).
#pragma once

#include <string>

namespace cli {

// A text from the system, such as a path from the command line, in UTF-8: on Windows it comes
// in the system code page; elsewhere paths are taken as UTF-8 already and come back unchanged.
std::string utf8FromSystem(const std::string& text);

// Whether standard input (where answers come from) and standard error (where progress is
// drawn) are terminals rather than files or pipes.
bool standardInputIsTerminal();
bool standardErrorIsTerminal();
// Gives the file at from the name to, replacing a file of that name in one step; false with
// errno set when it cannot.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace cli
