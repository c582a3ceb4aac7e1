// What every fuzz target shares: a text store set up once per process, a check that stops the
// run with a message (libFuzzer then keeps the input), and the check that an input left the store,
// the heap and the debug output as it found them.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "native_winapi/observe.h"
#include "text/text_store.h"

#define FUZZ_CHECK(condition, ...)                                                                 \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "check failed at %s:%d: %s\n  ", __FILE__, __LINE__, #condition);       \
      std::fprintf(stderr, __VA_ARGS__);                                                           \
      std::fprintf(stderr, "\n");                                                                  \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)

// The store and the heap as an input found them.
struct StoreBaseline {
  int32_t Texts;
  size_t HeapBlocks;
};

// Sets the store up on the first call; heap calls are not recorded, so a long run keeps no list.
inline StoreBaseline StartInput() {
  static bool ready = (InitTextStore(), SetHeapRecording(false), true);
  (void)ready;
  ResetObservations();
  return {TheTextStore.Count, LiveHeapBlocks()};
}

// An input must leave no text, no heap block and no debug line behind.
inline void EndInput(const StoreBaseline &baseline) {
  FUZZ_CHECK(TheTextStore.Count == baseline.Texts, "texts: %d, before: %d", TheTextStore.Count,
             baseline.Texts);
  FUZZ_CHECK(LiveHeapBlocks() == baseline.HeapBlocks, "heap blocks: %zu, before: %zu",
             LiveHeapBlocks(), baseline.HeapBlocks);
  FUZZ_CHECK(DebugLines().empty(), "%zu debug lines", DebugLines().size());
}
