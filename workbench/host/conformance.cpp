#include "workbench/host/conformance.h"

#include <algorithm>
#include <random>

#include "common/byte_reader.h"
#include "design/ticket_design.h"
#include "resources/resource_ids.h"
#include "workbench/emulator/cp932.h"
#include "workbench/host/design.h"
#include "workbench/host/leak_check.h"
#include "workbench/winapi/standin.h"

namespace {

const uint32_t kIlcColor32 = 0x20;

CheckResult Fail(const std::string &name, const std::string &detail) {
  return {name, false, detail};
}

// A call as the log shows it, without its result.
std::string Call(const char *name, const CallArguments &arguments) {
  std::string line = FormatCall({name, arguments, 0, ""});
  return line.substr(0, line.rfind(" = "));
}

} // namespace

CheckResult CheckExports(const Plugin &p) {
  const char *name = "exports DllMain, DrawSeiriken, GetPlgInfo, SetCorpAddList, SetPlgComment "
                     "as ordinals 1-5 of module TKT_A1.QPL";
  const PeImage &pe = p.m.modules[static_cast<size_t>(p.module)].pe;
  std::string detail;
  for (uint32_t i = 0; i < 5; ++i) {
    const PeExport *e = FindExport(pe, kPluginExports[i]);
    if (e && e->ordinal != i + 1)
      detail +=
          std::string(kPluginExports[i]) + " has ordinal " + std::to_string(e->ordinal) + "; ";
  }
  if (pe.exports.size() != 5)
    detail += std::to_string(pe.exports.size()) + " exports instead of 5; ";
  if (pe.exportName != "TKT_A1.QPL")
    detail += "module name \"" + pe.exportName + "\"; ";
  return {name, detail.empty(), detail};
}

CheckResult CheckDllMain(Plugin &p) {
  const char *name = "DllMain is the entry point and gives 1 for process attach and 0 for reasons "
                     "0, 2, 3";
  const PeImage &pe = p.m.modules[static_cast<size_t>(p.module)].pe;
  if (pe.entryRva != FindExport(pe, "DllMain")->rva)
    return Fail(name, "the entry point is not DllMain: start-up code runs before it");
  if (p.attachResult != 1)
    return Fail(name, "process attach gave " + std::to_string(p.attachResult));
  for (uint32_t reason : {2u, 3u, 0u}) {
    uint32_t result = 0;
    std::string error;
    if (!CallDllMain(p, reason, &result, &error))
      return Fail(name, error);
    if (result != 0)
      return Fail(name, "reason " + std::to_string(reason) + " gave " + std::to_string(result));
  }
  return {name, true, ""};
}

CheckResult CheckPlgInfo(Plugin &p) {
  const char *name = "GetPlgInfo gives 1 and writes 4, the face's width and height and 11 zero "
                     "words, nothing more";
  uint32_t result = 0;
  std::vector<uint8_t> record;
  std::string error;
  if (!ReadPlgInfo(p, &result, &record, &error))
    return Fail(name, error);
  std::vector<uint8_t> expected(64, 0xFF);
  WriteAt(expected, 0, kDesignPlgInfo);
  if (result != 1)
    return Fail(name, "result " + std::to_string(result));
  for (size_t i = 0; i < 64; ++i)
    if (record[i] != expected[i])
      return Fail(name, "byte " + std::to_string(i) + " is " + std::to_string(record[i]) +
                            ", expected " + std::to_string(expected[i]));
  return {name, true, ""};
}

CheckResult CheckComment(Plugin &p) {
  const char *name = "SetPlgComment writes the two-line description; 0 for no window";
  uint32_t result = 1;
  std::string error, text;
  size_t blocks = LiveHeapBlockCount(p.m);
  if (!CallPlugin(p, "SetPlgComment", {0}, &result, &error))
    return Fail(name, error);
  if (result != 0)
    return Fail(name, "a null window gave " + std::to_string(result));
  if (!ReadComment(p, &result, &text, &error))
    return Fail(name, error);
  if (result == 0)
    return Fail(name, "SetPlgComment gave 0 although SetWindowTextA succeeded");
  if (text != kDesignDescription)
    return Fail(name, "the window text is " + QuoteText(text) + " (" + std::to_string(text.size()) +
                          " bytes)");
  std::string left = LeftBehind(p, blocks);
  return {name, left.empty(), left};
}

CheckResult CheckList(Plugin &p) {
  const std::string name = "SetCorpAddList resets the combo box and adds " +
                           std::to_string(design::ListEntries) + " empty entries; 0 for none";
  uint32_t result = 1;
  std::string error;
  size_t blocks = LiveHeapBlockCount(p.m);
  p.m.log.calls.clear();
  if (!CallPlugin(p, "SetCorpAddList", {0}, &result, &error))
    return Fail(name, error);
  if (result != 0 || !CallsNamed(p.m.log, {"SendMessageA"}).empty())
    return Fail(name, "a null window gave " + std::to_string(result) + " or sent a message");
  std::vector<std::string> entries;
  if (!ReadList(p, &result, &entries, &error))
    return Fail(name, error);
  if (result != 1)
    return Fail(name, "result " + std::to_string(result));
  if (entries != std::vector<std::string>(design::ListEntries, ""))
    return Fail(name, std::to_string(entries.size()) + " entries after the call");
  auto sent = CallsNamed(p.m.log, {"SendMessageA"});
  if (sent.empty() || sent[0].arguments[1] != kCbResetContent || sent[0].arguments[2] != 0 ||
      sent[0].arguments[3] != 0)
    return Fail(name, "the first message is not CB_RESETCONTENT with 0, 0");
  std::string left = LeftBehind(p, blocks);
  return {name, left.empty(), left};
}

CheckResult CheckDrawCalls(Plugin &p, int32_t ticketNumberArgument) {
  std::string name = "DrawSeiriken of " + std::to_string(ticketNumberArgument) +
                     " makes the image-list, bitmap and DeleteObject calls of the design";
  const uint32_t arguments[8] = {0, 0, 0, 0, 0, static_cast<uint32_t>(ticketNumberArgument), 0, 0};
  uint32_t dc = 0, result = 0;
  std::string error;
  if (!DrawTicket(p, arguments, design::FaceWidth, design::FaceHeight, 0, &dc, &result, &error))
    return Fail(name, error);
  Gdi(p.m).canvases.erase(dc);
  auto calls = CallsNamed(p.m.log, {"ImageList_Create", "ImageList_Add", "ImageList_Draw",
                                    "ImageList_Destroy", "LoadBitmapA", "DeleteObject"});
  // Handles are whatever the stand-ins returned; the expected list takes them from the log.
  uint32_t base = p.m.modules[static_cast<size_t>(p.module)].base;
  uint32_t digits = calls.size() > 0 ? calls[0].result : 0;
  uint32_t face = calls.size() > 1 ? calls[1].result : 0;
  std::vector<std::string> expected = {
      Call("ImageList_Create", {design::GlyphWidth, design::GlyphHeight, kIlcColor32, 0, 0}),
      Call("ImageList_Create", {design::FaceWidth, design::FaceHeight, kIlcColor32, 0, 0})};
  auto load = [&](uint32_t id, uint32_t list) {
    size_t at = expected.size();
    uint32_t bitmap = at < calls.size() ? calls[at].result : 0;
    expected.push_back(Call("LoadBitmapA", {base, id}));
    expected.push_back(Call("ImageList_Add", {list, bitmap, 0}));
    expected.push_back(Call("DeleteObject", {bitmap}));
  };
  for (uint32_t id = IDB_DIGIT_0; id <= IDB_DIGIT_9; ++id)
    load(id, digits);
  load(IDB_TICKET_FACE, face);
  expected.push_back(Call("ImageList_Draw", {face, 0, dc, 0, 0, 0}));
  for (const GlyphDraw &g : ExpectedGlyphs(ticketNumberArgument))
    expected.push_back(
        Call("ImageList_Draw", {digits, static_cast<uint32_t>(g.glyph), dc,
                                static_cast<uint32_t>(g.x), static_cast<uint32_t>(g.y), 0}));
  expected.push_back(Call("ImageList_Destroy", {face}));
  expected.push_back(Call("ImageList_Destroy", {digits}));
  for (size_t i = 0; i < std::max(expected.size(), calls.size()); ++i) {
    std::string actual = i < calls.size() ? Call(calls[i].name, calls[i].arguments) : "nothing";
    std::string wanted = i < expected.size() ? expected[i] : "nothing";
    if (actual != wanted)
      return Fail(name, "call " + std::to_string(i + 1) + " is " + actual + ", expected " + wanted);
  }
  if (result != 0)
    return Fail(name, "result " + std::to_string(result));
  return {name, true, ""};
}

CheckResult CheckAllNumbers(Plugin &p, int extraSamples) {
  std::string name = "DrawSeiriken of all 65,536 ticket numbers (and " +
                     std::to_string(extraSamples) +
                     " with random upper bits and unread arguments): result 0, 32 bytes of "
                     "arguments removed, the glyphs of the design, nothing left behind";
  std::mt19937 random(20261209);
  size_t blocks = LiveHeapBlockCount(p.m);
  for (int64_t i = 0; i < 65536 + extraSamples; ++i) {
    uint32_t arguments[8] = {0, 0, 0, 0, 0, static_cast<uint32_t>(i), 0, 0};
    if (i >= 65536)
      for (uint32_t &a : arguments)
        a = random();
    uint32_t dc = 0, result = 0;
    std::string error;
    if (!DrawTicket(p, arguments, design::FaceWidth, design::FaceHeight, 0, &dc, &result, &error))
      return Fail(name, "ticket " + Hex32(arguments[5]) + ": " + error);
    bool outside = Gdi(p.m).canvases[dc].drewOutside;
    Gdi(p.m).canvases.erase(dc);
    std::string problem;
    if (result != 0)
      problem = "result " + std::to_string(result);
    else if (outside)
      problem = "drew outside the face";
    else
      problem = LeftBehind(p, blocks);
    std::vector<GlyphDraw> actual = GlyphDraws(p.m.log);
    std::vector<GlyphDraw> expected = ExpectedGlyphs(static_cast<int32_t>(arguments[5]));
    bool same = actual.size() == expected.size();
    for (size_t k = 0; same && k < actual.size(); ++k)
      same = actual[k].glyph == expected[k].glyph && actual[k].x == expected[k].x &&
             actual[k].y == expected[k].y;
    if (!same) {
      problem = "glyphs";
      for (const GlyphDraw &g : actual)
        problem += " " + std::to_string(g.glyph) + "@(" + std::to_string(g.x) + "," +
                   std::to_string(g.y) + ")";
      problem += " instead of";
      for (const GlyphDraw &g : expected)
        problem += " " + std::to_string(g.glyph) + "@(" + std::to_string(g.x) + "," +
                   std::to_string(g.y) + ")";
    }
    if (!problem.empty())
      return Fail(name, "ticket " + Hex32(arguments[5]) + ": " + problem);
  }
  return {name, true, ""};
}

std::vector<CheckResult> CheckPlugin(Plugin &p) {
  std::vector<CheckResult> results = {CheckExports(p), CheckDllMain(p), CheckPlgInfo(p),
                                      CheckComment(p), CheckList(p)};
  for (int32_t sample : {0, 7, 42, 99, 100, -1, -5, 65541})
    results.push_back(CheckDrawCalls(p, sample));
  results.push_back(CheckAllNumbers(p, 1000));
  return results;
}
