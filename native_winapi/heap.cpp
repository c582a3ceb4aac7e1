// The process heap, on malloc, with every call recorded and live blocks counted.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "native_winapi/observe.h"
#include "native_winapi/windows_standin.h"

namespace {

std::mutex heapMutex;
std::vector<HeapEvent> events;
std::set<void *> liveBlocks;
bool recording = true;
int failCountdown = -1;
int processHeap;

void Record(HeapCall call, size_t bytes, void *result) {
  if (recording)
    events.push_back({call, bytes, result});
}

// True when this allocation is the one chosen to be refused.
bool Refuse() {
  if (failCountdown < 0)
    return false;
  return failCountdown-- == 0;
}

} // namespace

HANDLE GetProcessHeap() {
  return &processHeap;
}

LPVOID HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) {
  std::lock_guard<std::mutex> lock(heapMutex);
  void *block = Refuse() ? nullptr : std::malloc(bytes ? bytes : 1);
  if (block) {
    if (flags & HEAP_ZERO_MEMORY)
      std::memset(block, 0, bytes);
    liveBlocks.insert(block);
  }
  Record(HeapCall::Alloc, bytes, block);
  return block;
}

LPVOID HeapReAlloc(HANDLE, DWORD, LPVOID block, SIZE_T bytes) {
  std::lock_guard<std::mutex> lock(heapMutex);
  void *moved = nullptr;
  if (block && liveBlocks.count(block) && !Refuse()) {
    moved = std::realloc(block, bytes ? bytes : 1);
    if (moved) {
      liveBlocks.erase(block);
      liveBlocks.insert(moved);
    }
  }
  Record(HeapCall::ReAlloc, bytes, moved);
  return moved;
}

BOOL HeapFree(HANDLE, DWORD, LPVOID block) {
  std::lock_guard<std::mutex> lock(heapMutex);
  Record(HeapCall::Free, 0, block);
  if (!block || !liveBlocks.erase(block))
    return 0;
  std::free(block);
  return 1;
}

std::vector<HeapEvent> HeapEvents() {
  std::lock_guard<std::mutex> lock(heapMutex);
  return events;
}

size_t LiveHeapBlocks() {
  std::lock_guard<std::mutex> lock(heapMutex);
  return liveBlocks.size();
}

void SetHeapRecording(bool on) {
  std::lock_guard<std::mutex> lock(heapMutex);
  recording = on;
}

void FailHeapCallAfter(int calls) {
  std::lock_guard<std::mutex> lock(heapMutex);
  failCountdown = calls;
}

void ClearHeapEvents() {
  std::lock_guard<std::mutex> lock(heapMutex);
  events.clear();
  failCountdown = -1;
}
