// What the native stand-ins let tests see and steer: every heap call with its size, every
// debug-output line, and heap refusals on request.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class HeapCall { Alloc, ReAlloc, Free };

struct HeapEvent {
  HeapCall call;
  size_t bytes; // requested size; 0 for Free
  void *result; // the block returned (null when refused), or the block freed
};

// Heap calls and debug lines since the last reset, from all threads.
std::vector<HeapEvent> HeapEvents();
std::vector<std::string> DebugLines();
size_t LiveHeapBlocks();
void ClearHeapEvents(); // also ends any requested refusal
void ClearDebugLines();
inline void ResetObservations() {
  ClearHeapEvents();
  ClearDebugLines();
}

// Recording can be switched off for stress runs on many threads; counting of live blocks stays.
void SetHeapRecording(bool on);

// Makes the allocation or reallocation that is the given number of calls from now (0 = the next
// one) fail, as a refused heap block does on Windows. A negative value fails none.
void FailHeapCallAfter(int calls);
