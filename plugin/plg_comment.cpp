#include "plugin/exports.h"
#include "text/text_ops.h"

namespace {
// "・整理券（TKT_A1.QPL：サーマル風無地）" in code page 932.
const char FirstLine[] = "\x81\x45\x90\xae\x97\x9d\x8c\x94\x81\x69"
                         "TKT_A1.QPL"
                         "\x81\x46\x83\x54\x81\x5b\x83\x7d\x83\x8b\x95\x97\x96\xb3\x92\x6e\x81\x6a";
// "・0～99番まで対応" in code page 932.
const char SecondLine[] = "\x81\x45"
                          "0"
                          "\x81\x60"
                          "99"
                          "\x94\xd4\x82\xdc\x82\xc5\x91\xce\x89\x9e";
} // namespace

// Writes the two-line description of the plug-in into the host's window. When the heap refused
// any block of it, the description would be some of its pieces only, so the window keeps the text
// it had and the host gets 0, as for a failed SetWindowTextA.
int32_t WINAPI SetPlgComment(HWND window) {
  if (!window)
    return 0;
  uint32_t refusals = TextRefusals();
  Text description =
      ConcatText(ConcatText(ConcatText(TextFromChars(FirstLine), CharText(13)), CharText(10)),
                 TextFromChars(SecondLine));
  int32_t result = TextRefusals() == refusals ? SetWindowTextA(window, description) : 0;
  ReleaseText(description);
  return result;
}
