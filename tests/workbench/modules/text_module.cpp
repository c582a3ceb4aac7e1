// The text store, text operations and number conversions built as the product builds them,
// exported so that the workbench can run them 32-bit and compare them with the native build.
// Texts come in as (bytes, length) and go out as bytes copied to a caller's buffer.
#include "text/number_to_text.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"
#include "text/win32.h"

namespace {

Text Make(const char *bytes, int32_t length) {
  Text t = AllocText(length);
  RtlMoveMemory(t, bytes, static_cast<SIZE_T>(length));
  return t;
}

// Copies the text's bytes to out, releases it and returns its length.
int32_t Deliver(Text t, char *out) {
  int32_t n = TextLength(t);
  RtlMoveMemory(out, t, static_cast<SIZE_T>(n));
  ReleaseText(t);
  return n;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return FALSE;
  InitTextStore();
  return TRUE;
}

// The double arrives as its two 32-bit halves, low half first, as on the stack.
int32_t WINAPI NumberText(uint32_t low, uint32_t high, char *out) {
  union {
    uint32_t halves[2];
    double value;
  } number;
  number.halves[0] = low;
  number.halves[1] = high;
  return Deliver(NumberToText(number.value), out);
}

void WINAPI TextNumber(const char *bytes, int32_t length, uint32_t *bits) {
  union {
    double value;
    uint32_t halves[2];
  } number;
  number.value = TextToNumber(Make(bytes, length));
  bits[0] = number.halves[0];
  bits[1] = number.halves[1];
}

int32_t WINAPI Concat(const char *a, int32_t na, const char *b, int32_t nb, char *out) {
  return Deliver(ConcatText(Make(a, na), Make(b, nb)), out);
}

int32_t WINAPI Left(const char *a, int32_t na, int32_t n, char *out) {
  return Deliver(LeftText(Make(a, na), n), out);
}

int32_t WINAPI Mid(const char *a, int32_t na, int32_t start, int32_t count, char *out) {
  return Deliver(MidText(Make(a, na), start, count), out);
}

int32_t WINAPI Compare(const char *a, int32_t na, const char *b, int32_t nb) {
  return CompareText(Make(a, na), Make(b, nb));
}

int32_t WINAPI Code(const char *a, int32_t na) {
  return TextCode(Make(a, na));
}

int32_t WINAPI LiveTexts() {
  return TheTextStore.Count;
}
}
