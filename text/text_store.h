// Managed texts and the process-wide text store.
//
// A managed text is one heap block of n + 5 zeroed bytes: a 32-bit signed length n, the n text
// bytes (code page 932, zero bytes allowed) and a zero terminator. It is handled by the address of
// its first text byte, so it can be passed unchanged to any function taking a zero-terminated
// text. Every live text is registered in the store from AllocText to ReleaseText.
#pragma once

#include <cstdint>

#include "text/win32.h"

typedef char *Text;

// The registry of live texts. Slots holds their addresses in the order of creation and is resized
// to exactly Count + 1 entries at every allocation; Lock guards Slots, Count and Refusals.
// Refusals counts the allocations that gave the shared empty text because the heap refused a
// block, so that a caller can tell a text that is empty from one that could not be made.
struct TextStore {
  Text *Slots;
  int32_t Count;
  uint32_t Refusals;
  CRITICAL_SECTION Lock;
  HANDLE Heap;
};

extern TextStore TheTextStore;

void InitTextStore();

// A new registered text of n zero bytes. When the heap refuses a block, the result is the shared
// empty text: length 0, never written, and silently ignored by ReleaseText.
Text AllocText(int32_t n);

// Frees a text the store holds. An address the store does not hold frees nothing and writes the
// debug line; null is ignored silently.
void ReleaseText(Text t);

int32_t TextLength(Text t);

// The number of refused allocations so far, read under the lock.
uint32_t TextRefusals();
