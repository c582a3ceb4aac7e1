// Native stand-ins for the few Windows functions the portable code calls. Same names and
// signatures as on Windows; tests observe them through native_winapi/observe.h.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI

typedef int BOOL;
typedef uint32_t DWORD;
typedef uint32_t LCID;
typedef size_t SIZE_T;
typedef void *HANDLE;
typedef void *LPVOID;
typedef const char *LPCSTR;
typedef char *LPSTR;

#define HEAP_ZERO_MEMORY 0x00000008
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3

// A critical section: recursive on the owning thread, as on Windows.
struct CRITICAL_SECTION {
  alignas(8) unsigned char opaque[64];
};

extern "C" {
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

void InitializeCriticalSection(CRITICAL_SECTION *section);
void EnterCriticalSection(CRITICAL_SECTION *section);
void LeaveCriticalSection(CRITICAL_SECTION *section);

void OutputDebugStringA(LPCSTR text);

int CompareStringA(LCID locale, DWORD flags, LPCSTR left, int leftLength, LPCSTR right,
                   int rightLength);
int lstrlenA(LPCSTR text);
void RtlMoveMemory(void *destination, const void *source, SIZE_T length);
LPSTR CharUpperA(LPSTR text);
int wsprintfA(LPSTR out, LPCSTR format, ...);
}
