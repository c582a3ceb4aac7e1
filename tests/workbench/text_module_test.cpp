// The text code built 32-bit with the product's flags (modules/text_module.cpp) agrees bit for
// bit with the native build on the conversion tables, 100,000 random doubles and 100,000 random
// texts: the product's 32-bit arithmetic is the arithmetic the native suites test.
#include <gtest/gtest.h>

#include <random>

#include "probe_machine.h"
#include "tests/conversions/double_bits.h"
#include "tests/conversions/edge_inputs.h"
#include "tests/text/text_bytes.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace {

class TextModule : public ::testing::Test {
protected:
  Machine m;
  std::string lastError;

  static void SetUpTestSuite() { InitTextStore(); }

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartMachineWithStandIns(m, &error)) << error;
    ASSERT_EQ(LoadModule(m, ModulePath("wb_text.dll"), &error), 0) << error;
    m.log.enabled = false; // hundreds of thousands of calls: keep only the models' state
    uint32_t attached = 0;
    ASSERT_TRUE(Call("DllMain", {m.modules[0].base, 1, 0}, &attached)) << lastError;
  }

  bool Call(const char *name, const std::vector<uint32_t> &arguments, uint32_t *result = nullptr) {
    uint32_t ignored;
    return CallGuest(m, ExportAddress(m, 0, name), arguments, result ? result : &ignored,
                     &lastError);
  }

  uint32_t Bytes(const std::string &bytes) {
    uint32_t at = ScratchAlloc(m, static_cast<uint32_t>(bytes.size() + 1));
    WriteGuest(m, at, bytes.data(), bytes.size());
    return at;
  }

  std::string Emulated(const char *name, std::vector<uint32_t> arguments) {
    ResetScratch(m);
    // The output buffer is always the last argument, added here: a placeholder value among the
    // arguments could be mistaken for half of a double (99.99999999999999 has 0xFFFFFFFF).
    uint32_t out = ScratchAlloc(m, 4096), length = 0;
    arguments.push_back(out);
    EXPECT_TRUE(Call(name, arguments, &length)) << lastError;
    std::string bytes(length, '\0');
    ReadGuest(m, out, &bytes[0], length);
    return bytes;
  }

  std::string EmulatedNumberText(double value) {
    uint64_t bits = BitsOf(value);
    return Emulated("NumberText", {static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32)});
  }

  uint64_t EmulatedTextNumber(const std::string &text) {
    ResetScratch(m);
    uint32_t in = Bytes(text), bits = ScratchAlloc(m, 8);
    EXPECT_TRUE(Call("TextNumber", {in, static_cast<uint32_t>(text.size()), bits})) << lastError;
    uint64_t value = 0;
    ReadGuest(m, bits, &value, 8);
    return value;
  }

  // Managed texts on both sides are released by the operations; none may be left.
  void ExpectNoTextsLeft() {
    uint32_t live = 1;
    ASSERT_TRUE(Call("LiveTexts", {}, &live));
    EXPECT_EQ(live, 0u);
    EXPECT_EQ(TheTextStore.Count, 0);
  }
};

TEST_F(TextModule, NumberToTextAgreesOnTheTableAndRandomDoubles) {
  int differences = 0;
  for (double value : SampleNumbers(100000, 1209)) {
    std::string native = Take(NumberToText(value)), emulated = EmulatedNumberText(value);
    if (native != emulated && ++differences <= 10)
      ADD_FAILURE() << std::hexfloat << value << ": native " << native << ", 32-bit " << emulated;
  }
  EXPECT_EQ(differences, 0);
  ExpectNoTextsLeft();
}

TEST_F(TextModule, TextToNumberAgreesOnTheTableAndRandomTexts) {
  int differences = 0;
  for (const std::string &text : SampleTexts(100000, 932)) {
    uint64_t native = BitsOf(TextToNumber(MakeText(text))), emulated = EmulatedTextNumber(text);
    if (native != emulated && ++differences <= 10)
      ADD_FAILURE() << "\"" << text << "\": native " << std::hex << native << ", 32-bit "
                    << emulated;
  }
  EXPECT_EQ(differences, 0);
  ExpectNoTextsLeft();
}

TEST_F(TextModule, TextOperationsAgreeOnRandomTexts) {
  std::mt19937 random(57);
  auto randomText = [&] {
    std::string text(random() % 6, '\0');
    for (char &c : text)
      c = "0-a\x81\x60\xB1\0"[random() % 7];
    return text;
  };
  auto n = [](const std::string &s) { return static_cast<uint32_t>(s.size()); };
  for (int i = 0; i < 20000; ++i) {
    std::string a = randomText(), b = randomText();
    int32_t count = static_cast<int32_t>(random() % 8), start = static_cast<int32_t>(random() % 8);
    int32_t left = a.empty() ? 0 : static_cast<int32_t>(random() % (a.size() + 1));
    ASSERT_EQ(Emulated("Concat", {Bytes(a), n(a), Bytes(b), n(b)}),
              Take(ConcatText(MakeText(a), MakeText(b))));
    ASSERT_EQ(Emulated("Left", {Bytes(a), n(a), static_cast<uint32_t>(left)}),
              Take(LeftText(MakeText(a), left)));
    ASSERT_EQ(Emulated("Mid", {Bytes(a), n(a), static_cast<uint32_t>(start),
                               static_cast<uint32_t>(count)}),
              Take(MidText(MakeText(a), start, count)));
    uint32_t compared = 0, code = 0;
    ResetScratch(m);
    ASSERT_TRUE(Call("Compare", {Bytes(a), n(a), Bytes(b), n(b)}, &compared));
    EXPECT_EQ(static_cast<int32_t>(compared), CompareText(MakeText(a), MakeText(b)));
    ASSERT_TRUE(Call("Code", {Bytes(a), n(a)}, &code));
    EXPECT_EQ(static_cast<int32_t>(code), TextCode(MakeText(a)));
  }
  ExpectNoTextsLeft();
}

} // namespace
