// Many threads making, copying, joining, cutting, converting and releasing texts at once leave the
// store exact: no text, no heap block and no debug line left. Built with ThreadSanitizer, which
// also reports any access to the slots outside the lock.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "tests/text/store_fixture.h"
#include "text/number_to_text.h"
#include "text/text_to_number.h"

namespace {

using TextThreadsTest = StoreTest;

// Runs work(thread, round) on each of threads threads at once, with heap calls not recorded.
void RunAtOnce(int threads, int rounds, const std::function<void(int, int)> &work) {
  SetHeapRecording(false);
  std::vector<std::thread> workers;
  for (int w = 0; w < threads; ++w)
    workers.emplace_back([w, rounds, &work] {
      for (int i = 0; i < rounds; ++i)
        work(w, i);
    });
  for (std::thread &t : workers)
    t.join();
  SetHeapRecording(true);
}

// One round of everything the exports do with texts, and more: each result checked. Returns the
// number of wrong results.
int MixedRound(int thread, int round) {
  int wrong = 0;
  Text kept = MakeText("kept");
  Text joined = ConcatText(CharText('a' + thread), CopyText(kept));
  wrong += Take(MidText(LeftText(joined, 3), 2, 1)) != "k";

  int number = (round * 8 + thread) % 65536 - 32768;
  Text shown = NumberToText(number);
  wrong += Take(CopyText(shown)) != std::to_string(number);
  wrong += TextToNumber(shown) != number;
  wrong += TextToNumber(TextFromChars("&H7fff")) != 32767;
  wrong += Take(NumberToText(round + 0.5)) != std::to_string(round) + ".5";
  ReleaseText(nullptr); // says nothing

  Text digits = ConcatText(TextFromChars("0"), NumberToText(thread));
  wrong += TextCode(MidText(CopyText(digits), 2, 1)) != '0' + thread;
  wrong += CompareText(LeftText(digits, 1), TextFromChars("0")) != CSTR_EQUAL;
  wrong += Take(kept) != "kept";
  return wrong;
}

TEST_F(TextThreadsTest, ConcurrentUseLeavesTheStoreExact) {
  const int threads = 8, rounds = 4000;
  std::vector<int> wrong(threads, 0);
  RunAtOnce(threads, rounds, [&wrong](int w, int i) { wrong[w] += MixedRound(w, i); });
  for (int w = 0; w < threads; ++w)
    EXPECT_EQ(wrong[w], 0) << "thread " << w;
  EXPECT_TRUE(DebugLines().empty());
}

// With the heap refusing blocks now and then while the threads run, results may come out empty,
// but the store stays exact: every refused block is counted and nothing is left behind.
TEST_F(TextThreadsTest, RefusalsAmidConcurrentUseLeaveTheStoreExact) {
  uint32_t refusalsBefore = TextRefusals();
  std::atomic<bool> running{true};
  std::thread refuser([&running] {
    for (int i = 0; running; ++i) {
      FailHeapCallAfter(i % 7);
      std::this_thread::yield();
    }
  });
  RunAtOnce(8, 2000, [](int w, int i) { MixedRound(w, i); });
  running = false;
  refuser.join();
  ClearHeapEvents();
  EXPECT_GT(TextRefusals(), refusalsBefore);
  EXPECT_TRUE(DebugLines().empty());
}

} // namespace
