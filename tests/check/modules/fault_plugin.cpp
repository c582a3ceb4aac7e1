// A ticket plug-in that misbehaves on purpose, for the checker's own tests, built once per fault.
// Asked to draw ticket 7, it raises an access violation (FAULT_CRASH), never returns
// (FAULT_HANG), ends the process with exit code 0, 3 or 4 (FAULT_EXIT_0, _3, _4: what exit(0),
// abort() and a crash handler do) or ends the calling thread (FAULT_EXIT_THREAD). FAULT_CHATTER
// writes a line that looks like a passed check to standard output at every draw, and one to
// standard error. FAULT_CDECL exports its four functions with the C calling convention, leaving
// their arguments on the stack (DllMain, which the loader calls, keeps the Windows one).
// Otherwise it does what any plug-in must, drawing a black rectangle.
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
  const bool seven = (ticket & 0xFFFF) == 7;
  (void)seven; // read by the builds that fail at ticket 7
#if defined(FAULT_CRASH)
  if (seven)
    *static_cast<volatile int32_t *>(nullptr) = ticket;
#elif defined(FAULT_HANG)
  while (seven)
    Sleep(1000);
#elif defined(FAULT_EXIT_0) || defined(FAULT_EXIT_3) || defined(FAULT_EXIT_4)
  if (seven)
    ExitProcess(FAULT_EXIT_CODE);
#elif defined(FAULT_EXIT_THREAD)
  if (seven)
    ExitThread(0);
#elif defined(FAULT_CHATTER)
  char line[40];
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, wsprintfA(line, "ok ticket %d drawn\n", ticket),
            &written, nullptr);
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), "FAIL nothing\n", 13, &written, nullptr);
#endif
  PatBlt(dc, 0, 0, Width, Height, BLACKNESS);
  return 0;
}
}
