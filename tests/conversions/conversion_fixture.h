// Runs each conversion test on a ready text store and checks that the conversion left nothing
// in the store or on the heap once its result was released.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "standin/observe.h"
#include "tests/conversions/double_bits.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

class ConversionTest : public ::testing::Test {
protected:
  void SetUp() override {
    static bool storeReady = (InitTextStore(), true);
    (void)storeReady;
    ResetObservations();
    textsBefore = TheTextStore.Count;
    blocksBefore = LiveHeapBlocks();
  }

  void TearDown() override {
    EXPECT_EQ(TheTextStore.Count, textsBefore) << "a conversion left a text in the store";
    EXPECT_EQ(LiveHeapBlocks(), blocksBefore) << "a conversion left a heap block";
    ResetObservations();
  }

  // The text of value; the managed result is released here, after checking that it is the
  // only text the conversion left in the store.
  std::string Show(double value) {
    int32_t before = TheTextStore.Count;
    Text text = NumberToText(value);
    EXPECT_EQ(TheTextStore.Count, before + 1);
    std::string shown(text, static_cast<size_t>(TextLength(text)));
    ReleaseText(text);
    return shown;
  }

  // The number read from a new managed text holding chars; the text is handed over.
  double Read(const std::string &chars) {
    int32_t before = TheTextStore.Count;
    Text text = AllocText(static_cast<int32_t>(chars.size()));
    std::memcpy(text, chars.data(), chars.size());
    double value = TextToNumber(text);
    EXPECT_EQ(TheTextStore.Count, before) << "after reading \"" << chars << "\"";
    return value;
  }

private:
  int32_t textsBefore = 0;
  size_t blocksBefore = 0;
};
