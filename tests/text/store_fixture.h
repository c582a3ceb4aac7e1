// A fixture for tests of managed texts: the store is set up once per process, each test starts
// with it empty and the stand-ins' records cleared, and must leave it empty.
#pragma once

#include <gtest/gtest.h>

#include "native_winapi/observe.h"
#include "tests/text/text_bytes.h"

class StoreTest : public testing::Test {
protected:
  void SetUp() override {
    static bool initialised = (InitTextStore(), true);
    (void)initialised;
    ASSERT_EQ(TheTextStore.Count, 0);
    ResetObservations();
    liveBlocks = LiveHeapBlocks();
  }
  void TearDown() override {
    EXPECT_EQ(TheTextStore.Count, 0) << "a test left texts in the store";
    EXPECT_EQ(LiveHeapBlocks(), liveBlocks) << "a test left heap blocks";
  }
  size_t liveBlocks = 0;
};
