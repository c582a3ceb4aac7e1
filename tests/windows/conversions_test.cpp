// Runs both conversions, as built for a module, over the native build's results, once in each
// floating-point state that real hosts leave the unit in, and checks that every text and every
// number is the same, bit for bit, and that each call gives the host its state back unchanged.
// On Windows it also draws a few tickets with the module in each state: the pictures must not
// change.
//   conversions_test MODULE REFERENCE_FILE   (Windows: the module is loaded for the drawings; the
//                                             conversions come from the linked text library)
//   conversions_test REFERENCE_FILE          (native: the text library as this build compiled it)
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/conversions/double_bits.h"
#include "tests/windows/check.h"
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"
#ifdef _WIN32
#include "design/ticket_design.h"
#include "plugin/plugin_interface.h"
#endif

namespace {

// The unit's settings as a host may leave them: the x87 control word and SSE's MXCSR. The x87
// exception flags are cleared when a state is set, so that any flag a call leaves shows.
struct HostState {
  const char *name;
  uint16_t x87Control;
  uint32_t mxcsr;
};

const HostState WindowsStart = {"as Windows starts a thread", 0x027F, 0x1F80};
const HostState HostStates[] = {
    WindowsStart,
    {"truncating, as _controlfp(_RC_CHOP) leaves both units", 0x0E7F, 0x7F80},
    {"flush-to-zero and denormals-are-zero", 0x027F, 0x9FC0},
    {"x87 extended precision", 0x137F, 0x1F80},
    {"x87 single precision, as Direct3D leaves it", 0x007F, 0x1F80},
    {"Delphi: extended precision, invalid, zero-divide and overflow unmasked", 0x1372, 0x1900},
};

// Signalling NaNs trap in the host's own code where invalid operations are unmasked.
bool InvalidUnmasked(const HostState &state) {
  return !(state.x87Control & 0x1) || !(state.mxcsr & 0x80);
}

struct UnitSettings {
  uint16_t x87Control;
  uint16_t x87Flags; // the status word's six exception flags
  uint32_t mxcsr;
  bool operator==(const UnitSettings &other) const {
    return x87Control == other.x87Control && x87Flags == other.x87Flags && mxcsr == other.mxcsr;
  }
};

#if defined(__i386__) || defined(__x86_64__)
void SetUnit(const HostState &state) {
  __asm__ volatile("fnclex\n\tfldcw %0" ::"m"(state.x87Control) : "memory");
  __asm__ volatile("ldmxcsr %0" ::"m"(state.mxcsr) : "memory");
}

UnitSettings ReadUnit() {
  UnitSettings now{};
  __asm__ volatile("fnstcw %0" : "=m"(now.x87Control)::"memory");
  __asm__ volatile("fnstsw %0" : "=m"(now.x87Flags)::"memory");
  __asm__ volatile("stmxcsr %0" : "=m"(now.mxcsr)::"memory");
  now.x87Flags &= 0x3F;
  return now;
}
#else
// Elsewhere the unit has no such states: one row, nothing to set or read.
void SetUnit(const HostState &) {}
UnitSettings ReadUnit() {
  return {};
}
#endif

// The processor loads and stores doubles unchanged at any precision control; qemu-user rounds them
// to it. There a state below 53 bits rounds the test's own doubles on their way to and from the
// conversions, and says nothing of the conversions: such a row is left out, and says so.
bool LoadsAndStoresKeepDoubles(const HostState &state) {
#if defined(__i386__) || defined(__x86_64__)
  volatile double in = 1.0 / 3.0, out = 0.0;
  __asm__ volatile(
      "fldcw %[host]\n\t"
      "fldl %[in]\n\t"
      "fstpl %[out]\n\t"
      "fldcw %[start]"
      : [out] "=m"(out)
      : [in] "m"(in), [host] "m"(state.x87Control), [start] "m"(WindowsStart.x87Control));
  return out == in;
#else
  (void)state;
  return true;
#endif
}

UnitSettings Expected(const HostState &state) {
#if defined(__i386__) || defined(__x86_64__)
  return {state.x87Control, 0, state.mxcsr};
#else
  (void)state;
  return {};
#endif
}

std::string Shown(const char *line) {
  return std::string(line, std::strcspn(line, "\n"));
}

// Runs one call in the host's state, then puts the start-up state back for the test's own code.
// Returns whether the call left the state as it found it: all of it, or only the controls where
// the call runs system code too, whose own arithmetic may raise exception flags.
template <class Call> bool InState(const HostState &state, Call call, bool flagsToo = true) {
  SetUnit(state);
  call();
  UnitSettings after = ReadUnit(), expected = Expected(state);
  SetUnit(WindowsStart);
  if (!flagsToo) {
    after.x87Flags = expected.x87Flags;
    after.mxcsr = (after.mxcsr & ~0x3Fu) | (expected.mxcsr & 0x3Fu);
  }
  return after == expected;
}

// "N bits text back-bits": the number's text, and the bits that text reads back as.
void CheckNumber(const HostState &state, const char *line) {
  uint64_t bits, backBits;
  char expected[64];
  if (!CHECK(std::sscanf(line, "N %" SCNx64 " %63s %" SCNx64, &bits, expected, &backBits) == 3,
             "unreadable line %s", Shown(line).c_str()))
    return;
  double value = DoubleFromBits(bits);
  if (InvalidUnmasked(state) && value != value)
    return;
  Text text = nullptr;
  bool kept = InState(state, [&] { text = NumberToText(value); });
  std::string got(text, static_cast<size_t>(TextLength(text)));
  uint64_t back = 0;
  kept = InState(state, [&] { back = BitsOf(TextToNumber(CopyText(text))); }) && kept;
  ReleaseText(text);
  CHECK(got == expected && back == backBits && kept,
        "%s: got %s reading back as %016" PRIx64 "%s; native: %s", state.name, got.c_str(), back,
        kept ? "" : ", state changed", Shown(line).c_str());
}

// "R hex-bytes bits": the bits a text reads as.
void CheckReading(const HostState &state, const char *line) {
  std::string chars;
  const char *hex = line + 2;
  for (; hex[0] != ' ' && hex[0] && hex[1]; hex += 2) {
    unsigned byte = 0;
    std::sscanf(hex, "%2x", &byte);
    chars += static_cast<char>(byte);
  }
  uint64_t bits;
  if (!CHECK(std::sscanf(hex, " %" SCNx64, &bits) == 1, "unreadable line %s", Shown(line).c_str()))
    return;
  uint64_t got = 0;
  bool kept = InState(state, [&] { got = BitsOf(TextToNumber(TextFromChars(chars.c_str()))); });
  CHECK(got == bits && kept, "%s: got %016" PRIx64 "%s; native: %s", state.name, got,
        kept ? "" : ", state changed", Shown(line).c_str());
}

#ifdef _WIN32
// A ticket drawn into a 32-bit DIB section, as its pixels.
std::vector<uint32_t> Drawn(DrawSeirikenFunction draw, int32_t number, const HostState &state,
                            bool *kept) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER),
                    design::FaceWidth,
                    -design::FaceHeight,
                    1,
                    32,
                    BI_RGB,
                    0,
                    0,
                    0,
                    0,
                    0};
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  *kept = InState(
      state, [&] { draw(dc, 0, 0, 0, 0, number, 0, 0); }, false);
  GdiFlush();
  const uint32_t *pixels = static_cast<const uint32_t *>(bits);
  std::vector<uint32_t> picture(pixels, pixels + design::FaceWidth * design::FaceHeight);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return picture;
}

// Tickets with one glyph, two glyphs, a minus sign and the lowest number.
void CheckDrawings(const char *modulePath) {
  HMODULE module = LoadLibraryA(modulePath);
  if (!CHECK(module != nullptr, "cannot load %s", modulePath))
    return;
  DrawSeirikenFunction draw = FindPluginExports(module).drawSeiriken;
  if (CHECK(draw != nullptr, "no DrawSeiriken in %s", modulePath)) {
    for (int32_t number : {0, 7, 42, 99, -5, -32768}) {
      bool kept = true;
      std::vector<uint32_t> reference = Drawn(draw, number, WindowsStart, &kept);
      for (const HostState &state : HostStates) {
        if (!LoadsAndStoresKeepDoubles(state))
          continue;
        std::vector<uint32_t> picture = Drawn(draw, number, state, &kept);
        CHECK(picture == reference && kept, "ticket %d %s: %s", static_cast<int>(number),
              state.name, kept ? "other pixels" : "state changed");
      }
    }
  }
  FreeLibrary(module);
}
#endif

} // namespace

int main(int argc, char **argv) {
  const char *referencePath = argv[argc - 1];
  FILE *reference = argc >= 2 ? std::fopen(referencePath, "r") : nullptr;
  if (!CHECK(reference != nullptr, "cannot read %s", argc >= 2 ? referencePath : "(none given)"))
    return Summary("conversions");
  std::vector<std::string> lines;
  char line[4096];
  while (std::fgets(line, sizeof line, reference))
    lines.push_back(line);
  std::fclose(reference);
  CHECK(lines.size() > 40000, "%d lines", static_cast<int>(lines.size()));

  InitTextStore();
  for (const HostState &state : HostStates) {
    if (!LoadsAndStoresKeepDoubles(state)) {
      std::printf("left out: %s: this processor (an emulator) rounds x87 loads and stores to the "
                  "precision control\n",
                  state.name);
      continue;
    }
    for (const std::string &each : lines)
      (each[0] == 'N' ? CheckNumber : CheckReading)(state, each.c_str());
  }
  CHECK(TheTextStore.Count == 0, "%d live texts", static_cast<int>(TheTextStore.Count));
#ifdef _WIN32
  if (argc == 3)
    CheckDrawings(argv[1]);
#endif
  return Summary("conversions");
}
