#include "text/text_store.h"

TextStore TheTextStore;

namespace {

// Debug line for a release of an address the store does not hold:
// "未知の文字列が解放されようとしました。\r\n" in code page 932.
const char UnknownTextMessage[] =
    "\x96\xa2\x92\x6d\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x89\xf0\x95\xfa\x82\xb3\x82\xea"
    "\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\r\n";

// The text every allocation falls back to when the heap refuses a block: length 0 and its
// terminator. It is never registered and never written (every writer bounds itself by the
// result's length), and ReleaseText ignores it, so callers need no failure path.
const char EmptyTextBlock[5] = {0, 0, 0, 0, 0};

Text SharedEmptyText() {
  return const_cast<Text>(EmptyTextBlock + 4);
}

// Counts a refused allocation and gives the shared empty text in its place.
Text Refused() {
  EnterCriticalSection(&TheTextStore.Lock);
  TheTextStore.Refusals = TheTextStore.Refusals + 1;
  LeaveCriticalSection(&TheTextStore.Lock);
  return SharedEmptyText();
}

} // namespace

void InitTextStore() {
  InitializeCriticalSection(&TheTextStore.Lock);
  TheTextStore.Heap = GetProcessHeap();
  TheTextStore.Slots = static_cast<Text *>(HeapAlloc(TheTextStore.Heap, 0, 1));
  TheTextStore.Count = 0;
  TheTextStore.Refusals = 0;
}

Text AllocText(int32_t n) {
  // A negative count makes an empty text rather than a block smaller than its header.
  uint32_t length = n < 0 ? 0 : static_cast<uint32_t>(n);
  char *block = static_cast<char *>(
      HeapAlloc(TheTextStore.Heap, HEAP_ZERO_MEMORY, static_cast<SIZE_T>(length) + 5));
  if (!block)
    return Refused();
  *reinterpret_cast<int32_t *>(block) = static_cast<int32_t>(length);
  Text text = block + 4;

  EnterCriticalSection(&TheTextStore.Lock);
  SIZE_T slotsSize = (static_cast<SIZE_T>(TheTextStore.Count) + 1) * sizeof(Text);
  // A store whose first slot block was refused at attach makes one now rather than ask the heap
  // to resize nothing, so that it can register texts again.
  Text *slots = static_cast<Text *>(
      TheTextStore.Slots ? HeapReAlloc(TheTextStore.Heap, 0, TheTextStore.Slots, slotsSize)
                         : HeapAlloc(TheTextStore.Heap, 0, slotsSize));
  if (slots) {
    TheTextStore.Slots = slots;
    TheTextStore.Slots[TheTextStore.Count] = text;
    TheTextStore.Count = TheTextStore.Count + 1;
  }
  LeaveCriticalSection(&TheTextStore.Lock);

  if (slots)
    return text;
  // The slot array could not grow: the old array stays valid and the unregistered block goes.
  HeapFree(TheTextStore.Heap, 0, block);
  return Refused();
}

void ReleaseText(Text t) {
  if (t == SharedEmptyText())
    return;
  bool found = false;
  EnterCriticalSection(&TheTextStore.Lock);
  for (int32_t i = 0; i < TheTextStore.Count; ++i) {
    if (TheTextStore.Slots[i] != t)
      continue;
    HeapFree(TheTextStore.Heap, 0, t - 4);
    TheTextStore.Count = TheTextStore.Count - 1;
    for (int32_t j = i; j < TheTextStore.Count; ++j)
      TheTextStore.Slots[j] = TheTextStore.Slots[j + 1];
    found = true;
    break;
  }
  LeaveCriticalSection(&TheTextStore.Lock);
  if (!found && t)
    OutputDebugStringA(UnknownTextMessage);
}

int32_t TextLength(Text t) {
  return *reinterpret_cast<const int32_t *>(t - 4);
}

uint32_t TextRefusals() {
  EnterCriticalSection(&TheTextStore.Lock);
  uint32_t refusals = TheTextStore.Refusals;
  LeaveCriticalSection(&TheTextStore.Lock);
  return refusals;
}
