// A fixture for tests of managed texts: the store is set up once per process, each test starts
// with it empty and the stand-ins' records cleared, and must leave it empty.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "standin/observe.h"
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

// "未知の文字列が解放されようとしました。\r\n" in code page 932, made by iconv from the UTF-8 text
// at build time rather than copied from the module.
inline const std::string &UnknownTextLine() {
  static const std::string line = [] {
    std::string bytes;
    if (FILE *f = std::fopen(UNKNOWN_TEXT_LINE_FILE, "rb")) {
      for (int c; (c = std::fgetc(f)) != EOF;)
        bytes.push_back(static_cast<char>(c));
      std::fclose(f);
    }
    return bytes;
  }();
  return line;
}
