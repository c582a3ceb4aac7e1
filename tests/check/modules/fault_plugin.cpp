// A ticket plug-in that misbehaves on purpose, for the checker's own tests: built three times, it
// raises an access violation (FAULT_CRASH), never returns (FAULT_HANG) when asked to draw ticket
// 7, or exports its four functions with the C calling convention, leaving their arguments on the
// stack (FAULT_CDECL; DllMain, which the loader calls, keeps the Windows one). Otherwise it does
// what any plug-in must, drawing a black rectangle.
#include <windows.h>

#include <cstdint>

#if defined(FAULT_CDECL)
#define EXPORT_CALL __cdecl
#else
#define EXPORT_CALL WINAPI
#endif

namespace {
const int32_t Width = 100, Height = 50;
} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return reason == DLL_PROCESS_ATTACH;
}

int32_t EXPORT_CALL GetPlgInfo(int32_t *record) {
  if (!record)
    return 0;
  const int32_t words[14] = {4, Width, Height};
  for (int i = 0; i < 14; ++i)
    record[i] = words[i];
  return 1;
}

int32_t EXPORT_CALL SetPlgComment(HWND window) {
  return window ? SetWindowTextA(window, "fault plug-in") : 0;
}

int32_t EXPORT_CALL SetCorpAddList(HWND combo) {
  if (!combo)
    return 0;
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
  return 1;
}

int32_t EXPORT_CALL DrawSeiriken(HDC dc, int32_t, int32_t, int32_t, int32_t, int32_t ticket,
                                 int32_t, int32_t) {
  (void)ticket; // read by the crashing and the hanging build only
#if defined(FAULT_CRASH)
  if ((ticket & 0xFFFF) == 7)
    *static_cast<volatile int32_t *>(nullptr) = ticket;
#elif defined(FAULT_HANG)
  while ((ticket & 0xFFFF) == 7)
    Sleep(1000);
#endif
  PatBlt(dc, 0, 0, Width, Height, BLACKNESS);
  return 0;
}
}
