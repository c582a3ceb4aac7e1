// Several threads making, joining, cutting and releasing texts at once leave the store exact.
// Built with ThreadSanitizer, which also reports any access to the slots outside the lock.
#include <thread>

#include "tests/text/store_fixture.h"

namespace {

using TextThreadsTest = StoreTest;

TEST_F(TextThreadsTest, ConcurrentUseLeavesTheStoreExact) {
  SetHeapRecording(false);
  const int threads = 4, rounds = 3000;
  std::vector<std::thread> workers;
  std::vector<int> wrong(threads, 0);
  for (int w = 0; w < threads; ++w) {
    workers.emplace_back([w, &wrong] {
      for (int i = 0; i < rounds; ++i) {
        Text kept = MakeText("kept");
        Text joined = ConcatText(CharText('a' + w), CopyText(kept));
        Text middle = MidText(LeftText(joined, 3), 2, 1);
        wrong[w] += Take(middle) != "k";
        wrong[w] += Take(kept) != "kept";
      }
    });
  }
  for (std::thread &t : workers)
    t.join();
  SetHeapRecording(true);
  for (int w = 0; w < threads; ++w)
    EXPECT_EQ(wrong[w], 0) << "thread " << w;
  EXPECT_TRUE(DebugLines().empty());
}

} // namespace
