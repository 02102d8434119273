// Velkor.exe: the full service utility.
#include <windows.h>

#include "app/win32/DialogProgram.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return app::runDialogProgram(instance, discovery::Edition::Full, commandLine);
}
