// Tickets drawn per second by the shipped 32-bit TKT_A1.QPL inside the emulator, with and
// without the call log, and the time of the full sweep of all 65,536 ticket numbers as the
// conformance check runs it.
#include <benchmark/benchmark.h>

#include "design/ticket_design.h"
#include "workbench/host/conformance.h"

namespace {

bool Open(Plugin &p, benchmark::State &state) {
  std::string error;
  if (OpenPlugin(p, WB_PRODUCT, &error))
    return true;
  state.SkipWithError(error.c_str());
  return false;
}

// state.range(0): whether the call log records every Windows call, as trace and check need.
void TicketsPerSecond(benchmark::State &state) {
  Plugin p;
  if (!Open(p, state))
    return;
  p.m.log.enabled = state.range(0) != 0;
  uint32_t number = 0;
  for (auto _ : state) {
    const uint32_t arguments[8] = {0, 0, 0, 0, 0, number++ % 100, 0, 0};
    uint32_t dc = 0, result = 0;
    std::string error;
    if (!DrawTicket(p, arguments, design::FaceWidth, design::FaceHeight, 0xFFFFFFFF, &dc, &result,
                    &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    Gdi(p.m).canvases.erase(dc);
  }
  state.counters["tickets/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(TicketsPerSecond)->ArgName("logged")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void FullSweep(benchmark::State &state) {
  Plugin p;
  if (!Open(p, state))
    return;
  for (auto _ : state) {
    CheckResult r = CheckAllNumbers(p, 0);
    if (!r.ok)
      state.SkipWithError(r.detail.c_str());
  }
}
BENCHMARK(FullSweep)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
