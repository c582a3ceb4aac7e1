// A DLL that imports a function the workbench does not provide (GetTickCount).
#include <windows.h>

extern "C" {
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
DWORD WINAPI Ticks() {
  return GetTickCount();
}
}
