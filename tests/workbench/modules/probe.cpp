// A small 32-bit DLL with no C runtime whose exports exercise the workbench: its loader, its
// fault reports and each family of stand-ins.
#include "text/win32.h"

#include <commctrl.h>

static HINSTANCE Module;
static int Global = 1234;
static const int Constant[4] = {1, 2, 3, 4};

// A writable and executable section, for code written at run time: six bytes of `ret`.
__asm__(".section .wxcode, \"wx\"\n"
        "_WritableCode: .fill 6, 1, 0xC3\n"
        ".text\n");
extern "C" unsigned char WritableCode[6];

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    Module = instance;
  return reason == DLL_PROCESS_ATTACH;
}

int WINAPI Add(int a, int b) {
  return a + b;
}
int *WINAPI GlobalAddress() {
  return &Global;
}
int WINAPI ReadGlobal() {
  return Global;
}
// Through a volatile pointer, so that the compiler cannot see the null page coming.
static int *volatile NullPage = reinterpret_cast<int *>(16);
int WINAPI ReadNull() {
  return *NullPage;
}
int WINAPI WriteConstant() {
  *const_cast<volatile int *>(&Constant[1]) = 9;
  return Constant[1];
}
int WINAPI Spin() {
  volatile int forever = 1;
  while (forever) {
  }
  return 0;
}
// Writes `mov eax, value; ret` into the writable code section and runs it: each call must run
// what it has just written, not what an earlier call left translated.
int WINAPI RunWrittenCode(int value) {
  volatile unsigned char *code = WritableCode;
  code[0] = 0xB8;
  for (int i = 0; i < 4; ++i)
    code[1 + i] = static_cast<unsigned char>(static_cast<unsigned>(value) >> (8 * i));
  code[5] = 0xC3;
  return reinterpret_cast<int(WINAPI *)()>(WritableCode)();
}
// Runs whatever lies at the given address as code.
int WINAPI RunCodeAt(int(WINAPI *code)()) {
  return code();
}
// Exported as if it were stdcall: the caller expects it to remove its argument, and it does not.
int __cdecl Unbalanced(int a) {
  return a;
}

// Allocates, grows (contents kept), shrinks and frees; returns the sum of the bytes it read back.
int WINAPI HeapRoundTrip(int n) {
  HANDLE heap = GetProcessHeap();
  unsigned char *block = static_cast<unsigned char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, n));
  int sum = 0;
  for (int i = 0; i < n; ++i) {
    sum += block[i];
    block[i] = static_cast<unsigned char>(i + 1);
  }
  block = static_cast<unsigned char *>(HeapReAlloc(heap, 0, block, n * 2));
  for (int i = 0; i < n; ++i)
    sum += block[i];
  HeapFree(heap, 0, block);
  return sum;
}
int WINAPI DoubleFree() {
  HANDLE heap = GetProcessHeap();
  void *block = HeapAlloc(heap, 0, 8);
  HeapFree(heap, 0, block);
  return HeapFree(heap, 0, block);
}
int WINAPI Overrun(int n) {
  HANDLE heap = GetProcessHeap();
  char *block = static_cast<char *>(HeapAlloc(heap, 0, n));
  block[n] = 'x';
  return HeapFree(heap, 0, block);
}
void *WINAPI Leak(int n) {
  return HeapAlloc(GetProcessHeap(), 0, n);
}

int WINAPI UseLock(int leaves) {
  static CRITICAL_SECTION lock;
  InitializeCriticalSection(&lock);
  EnterCriticalSection(&lock);
  EnterCriticalSection(&lock);
  for (int i = 0; i < leaves; ++i)
    LeaveCriticalSection(&lock);
  return lock.RecursionCount;
}

void WINAPI Debug(const char *text) {
  OutputDebugStringA(text);
}
int WINAPI Format(char *out, int value, const char *text) {
  return wsprintfA(out, "+%03d|%s|%x", value, text, 255);
}
char *WINAPI Upper(char *text) {
  return CharUpperA(text);
}
int WINAPI UpperChar(int c) {
  return reinterpret_cast<INT_PTR>(CharUpperA(reinterpret_cast<char *>(c)));
}
int WINAPI Compare(const char *a, int na, const char *b, int nb) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, 0, a, na, b, nb);
}
int WINAPI Length(const char *text) {
  return lstrlenA(text);
}
void WINAPI Move(void *to, const void *from, SIZE_T n) {
  RtlMoveMemory(to, from, n);
}

int WINAPI SetText(HWND window, const char *text) {
  return SetWindowTextA(window, text);
}
int WINAPI FillCombo(HWND combo) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
  return SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two"));
}
LRESULT WINAPI Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageA(window, message, wParam, lParam);
}

// Loads bitmap 7 (4 x 2) into a list of 2 x 2 images and draws image `index` at (x, y).
int WINAPI DrawProbe(HDC dc, int index, int x, int y) {
  HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR32, 0, 0);
  HBITMAP bitmap = LoadBitmapA(Module, MAKEINTRESOURCEA(7));
  int first = ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  ImageList_Draw(list, index, dc, x, y, ILD_NORMAL);
  ImageList_Destroy(list);
  return first;
}

// 1 + *addend in the x87 unit at the precision the control word sets, stored as a double.
void WINAPI SumAtPrecision(DWORD controlWord, const double *addend, double *sum) {
  WORD control = static_cast<WORD>(controlWord), before;
  __asm__ volatile("fnstcw %[before]\n\t"
                   "fldcw %[control]\n\t"
                   "fld1\n\t"
                   "faddl %[addend]\n\t"
                   "fstpl %[sum]\n\t"
                   "fldcw %[before]"
                   : [before] "=m"(before), [sum] "=m"(*sum)
                   : [control] "m"(control), [addend] "m"(*addend));
}
}
