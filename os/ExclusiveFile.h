// Creating a host file that is certainly new, so that no stream ever goes into a file this
// program did not make: the host's own call for it (ExclusiveFilePosix.cpp,
// ExclusiveFileWin32.cpp; each builds only for its host).
#pragma once

#include "os/UniqueFile.h"

namespace os {

enum class NewFileAccess {
  OwnerOnly,    // readable and writable by this user alone (POSIX 0600)
  UserDefault,  // as the user's file-creation mask allows (POSIX 0666 before the mask)
};

// Creates the file at path for binary writing, not inherited by child processes. Fails (null,
// errno EEXIST) when anything is at path already, a link included, which is never followed;
// null with errno set for any other failure.
UniqueFile createExclusiveFile(const char* path, NewFileAccess access);

}  // namespace os
