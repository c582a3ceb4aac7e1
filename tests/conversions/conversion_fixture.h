// The conversion tests' fixture: the text store's, with the conversions run so that each leaves
// only its result in the store.
#pragma once

#include <string>

#include "tests/conversions/double_bits.h"
#include "tests/text/store_fixture.h"
#include "text/number_to_text.h"
#include "text/text_to_number.h"

class ConversionTest : public StoreTest {
protected:
  // The text of value; the managed result is released here, after checking that it is the
  // only text the conversion left in the store.
  std::string Show(double value) {
    int32_t before = TheTextStore.Count;
    Text text = NumberToText(value);
    EXPECT_EQ(TheTextStore.Count, before + 1);
    return Take(text);
  }

  // The number read from a new managed text holding chars; the text is handed over.
  double Read(const std::string &chars) {
    int32_t before = TheTextStore.Count;
    double value = TextToNumber(MakeText(chars));
    EXPECT_EQ(TheTextStore.Count, before) << "after reading \"" << chars << "\"";
    return value;
  }
};
