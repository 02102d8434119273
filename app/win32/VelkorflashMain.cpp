// Velkorflash.exe: the update-only program.
#include <windows.h>

#include "app/win32/DialogProgram.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return app::runDialogProgram(instance, discovery::Edition::UpdateOnly, commandLine);
}
