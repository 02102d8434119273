// Creating a file that is certainly new: the host's own call for it (ExclusiveFilePosix.cpp,
// ExclusiveFileWin32.cpp; each builds only for its host).
#pragma once

#include <cstdio>

namespace plotter {

// Creates the file at path for binary writing, readable and writable by this user only. Fails
// (null, errno EEXIST) when anything is at path already, a link included, which is never
// followed; null with errno set for any other failure.
std::FILE* createExclusiveFile(const char* path);

}  // namespace plotter
