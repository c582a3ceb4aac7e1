// Both conversions on the ticket numbers the drawing passes and on random doubles, on the native
// build with the stand-in heap (recording switched off), with the doubles in SSE
// (conversions_bench) or in the x87 unit as the 32-bit product computes them
// (conversions_bench_x87). Each figure includes the text store work of the call: the allocations,
// the slot array and the releases.
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "native_winapi/observe.h"
#include "text/float_unit.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

namespace {

void PrepareStore() {
  static bool ready = (InitTextStore(), SetHeapRecording(false), true);
  (void)ready;
}

// The numbers the drawing converts: -32768 to -2 and 0 to 99, the latter far more often.
std::vector<double> TicketNumbers() {
  std::vector<double> numbers;
  for (int i = 0; i <= 99; ++i)
    numbers.push_back(i);
  for (int i = -32768; i <= -2; i += 331)
    numbers.push_back(i);
  return numbers;
}

// Finite doubles of every magnitude from random bit patterns.
std::vector<double> RandomDoubles() {
  std::mt19937_64 random(7);
  std::vector<double> numbers;
  while (numbers.size() < 4096) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value))
      numbers.push_back(value);
  }
  return numbers;
}

// The decimal texts of the given numbers, as TextToNumber reads them.
std::vector<std::vector<char>> TextsOf(const std::vector<double> &numbers) {
  std::vector<std::vector<char>> texts;
  for (double number : numbers) {
    Text text = NumberToText(number);
    texts.emplace_back(text, text + TextLength(text) + 1);
    ReleaseText(text);
  }
  return texts;
}

void RunNumberToText(benchmark::State &state, const std::vector<double> &numbers) {
  PrepareStore();
  size_t next = 0;
  for (auto _ : state) {
    Text text = NumberToText(numbers[next]);
    benchmark::DoNotOptimize(text);
    ReleaseText(text);
    next = next + 1 == numbers.size() ? 0 : next + 1;
  }
}

// TextToNumber takes over its text, so each round makes one; the figure includes that.
void RunTextToNumber(benchmark::State &state, const std::vector<std::vector<char>> &texts) {
  PrepareStore();
  size_t next = 0;
  for (auto _ : state) {
    double value = TextToNumber(TextFromChars(texts[next].data()));
    benchmark::DoNotOptimize(value);
    next = next + 1 == texts.size() ? 0 : next + 1;
  }
}

void NumberToTextTicketNumbers(benchmark::State &state) {
  static const std::vector<double> numbers = TicketNumbers();
  RunNumberToText(state, numbers);
}

void NumberToTextRandomDoubles(benchmark::State &state) {
  static const std::vector<double> numbers = RandomDoubles();
  RunNumberToText(state, numbers);
}

// The drawing reads back one character of the number text at a time.
void TextToNumberTicketDigits(benchmark::State &state) {
  static const std::vector<std::vector<char>> texts = {{'-', 0}, {'0', 0}, {'4', 0}, {'9', 0}};
  RunTextToNumber(state, texts);
}

void TextToNumberTicketNumbers(benchmark::State &state) {
  PrepareStore();
  static const std::vector<std::vector<char>> texts = TextsOf(TicketNumbers());
  RunTextToNumber(state, texts);
}

void TextToNumberRandomDoubles(benchmark::State &state) {
  PrepareStore();
  static const std::vector<std::vector<char>> texts = TextsOf(RandomDoubles());
  RunTextToNumber(state, texts);
}

// The store and heap work alone that every TextToNumber figure above includes.
void TextFromCharsAndRelease(benchmark::State &state) {
  PrepareStore();
  for (auto _ : state)
    ReleaseText(TextFromChars("-1.23456789012346"));
}

// What each conversion pays for owning the floating-point unit: the host's state saved, the
// conversion's set, and the host's given back, in the unit this build computes with.
void FloatUnitTakenAndGivenBack(benchmark::State &state) {
  for (auto _ : state) {
    HostFloatState host = TakeFloatUnit();
    benchmark::ClobberMemory();
    GiveBackFloatUnit(host);
  }
}

} // namespace

BENCHMARK(FloatUnitTakenAndGivenBack);
BENCHMARK(NumberToTextTicketNumbers);
BENCHMARK(NumberToTextRandomDoubles);
BENCHMARK(TextToNumberTicketDigits);
BENCHMARK(TextToNumberTicketNumbers);
BENCHMARK(TextToNumberRandomDoubles);
BENCHMARK(TextFromCharsAndRelease);

BENCHMARK_MAIN();
