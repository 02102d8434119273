// A window as it shows on the screen, saved as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace velkor::test {

// False when the window could not be read or the file not written.
bool saveScreenshot(HWND window, const std::string& path);

}  // namespace velkor::test
