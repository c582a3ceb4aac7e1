// The workbench's commands: what a host would see of the plug-in, its tickets as PNG files, a
// trace of its Windows calls, the check against the design and the soak.
#include "workbench/cli/commands.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/byte_reader.h"
#include "common/png_image.h"
#include "common/sheet_layout.h"
#include "workbench/emulator/cp932.h"
#include "workbench/host/conformance.h"
#include "workbench/host/soak.h"

namespace {

int Faulted(const std::string &error) {
  std::fprintf(stderr, "tkt-workbench: the plug-in faulted: %s\n", error.c_str());
  return kPluginFault;
}

int WritePicture(const std::string &path, const Pixels &picture) {
  std::string error;
  if (!WritePngFile(path.c_str(), picture.data.data(), picture.width, picture.height, &error)) {
    std::fprintf(stderr, "tkt-workbench: cannot write %s: %s\n", path.c_str(), error.c_str());
    return kCannotWrite;
  }
  std::printf("wrote %s (%d x %d)\n", path.c_str(), picture.width, picture.height);
  return kOk;
}

} // namespace

int Info(Plugin &p, const Request &) {
  uint32_t result = 0;
  std::vector<uint8_t> record;
  std::string error, text;
  std::vector<std::string> entries;
  if (!ReadPlgInfo(p, &result, &record, &error))
    return Faulted(error);
  GuestPlgInfo info{};
  ReadAt(record, 0, &info);
  std::printf("GetPlgInfo returned %u; record words: %d %d %d", result, info.infoCode, info.width,
              info.height);
  for (int32_t word : info.reserved)
    std::printf(" %d", word);
  std::printf("\n  InfoCode %d, ticket %d x %d pixels\n", info.infoCode, info.width, info.height);
  if (!ReadComment(p, &result, &text, &error))
    return Faulted(error);
  std::printf("SetPlgComment returned %u; description (%zu bytes):\n", result, text.size());
  std::string utf8 = Cp932ToUtf8(text);
  size_t start = 0;
  for (size_t end; (end = utf8.find("\r\n", start)) != std::string::npos; start = end + 2)
    std::printf("  %s\n", utf8.substr(start, end - start).c_str());
  std::printf("  %s\n", utf8.substr(start).c_str());
  if (!ReadList(p, &result, &entries, &error))
    return Faulted(error);
  std::printf("SetCorpAddList returned %u; %zu list entries:", result, entries.size());
  for (const std::string &entry : entries)
    std::printf(" %s", QuoteText(entry).c_str());
  std::printf("\n");
  return kOk;
}

int Render(Plugin &p, const Request &r) {
  Pixels picture;
  std::string error;
  if (!RenderTicket(p, r.number, &picture, &error))
    return Faulted(error);
  return WritePicture(r.output, picture);
}

int Sheet(Plugin &p, const Request &r) {
  Pixels sheet{0, 0, {}};
  for (int32_t n = 0; n < SheetTickets; ++n) {
    Pixels ticket;
    std::string error;
    if (!RenderTicket(p, static_cast<uint32_t>(n), &ticket, &error))
      return Faulted("ticket " + std::to_string(n) + ": " + error);
    if (sheet.data.empty()) {
      sheet.width = SheetWidth(ticket.width);
      sheet.height = SheetHeight(ticket.height);
      sheet.data.assign(static_cast<size_t>(sheet.width) * sheet.height, SheetBackground);
    }
    int32_t left = SheetLeft(n, ticket.width), top = SheetTop(n, ticket.height);
    for (int32_t y = 0; y < ticket.height; ++y)
      std::memcpy(&sheet.data[static_cast<size_t>((top + y) * sheet.width + left)],
                  &ticket.data[static_cast<size_t>(y * ticket.width)],
                  static_cast<size_t>(ticket.width) * 4);
  }
  return WritePicture(r.output, sheet);
}

int Trace(Plugin &p, const Request &r) {
  const uint32_t arguments[8] = {0, 0, 0, 0, 0, r.number, 0, 0};
  int32_t width = 0, height = 0;
  uint32_t dc = 0, result = 0;
  std::string error;
  if (!TicketSize(p, &width, &height, &error))
    return Faulted(error);
  bool ran = DrawTicket(p, arguments, width, height, 0xFFFFFFFF, &dc, &result, &error);
  std::printf("DrawSeiriken(0x%X, 0, 0, 0, 0, 0x%X, 0, 0) on a %d x %d canvas\n", dc, r.number,
              width, height);
  for (const LoggedCall &call : p.m.log.calls)
    std::printf("  %s\n", FormatCall(call).c_str());
  if (!ran)
    return Faulted(error);
  std::printf("returned %u; %zu Windows calls; bitmaps %llu loaded, %llu deleted; image lists "
              "%llu created, %llu destroyed; %zu heap blocks live\n",
              result, p.m.log.calls.size(), (unsigned long long)Gdi(p.m).bitmapsCreated,
              (unsigned long long)Gdi(p.m).bitmapsDeleted,
              (unsigned long long)Gdi(p.m).listsCreated,
              (unsigned long long)Gdi(p.m).listsDestroyed, LiveHeapBlockCount(p.m));
  for (const std::string &problem : p.m.problems)
    std::printf("problem: %s\n", problem.c_str());
  return kOk;
}

int Check(Plugin &p, const Request &) {
  int failed = 0;
  for (const CheckResult &r : CheckPlugin(p)) {
    std::printf("%s %s\n", r.ok ? "ok  " : "FAIL", r.name.c_str());
    if (!r.ok) {
      std::printf("     %s\n", r.detail.c_str());
      ++failed;
    }
  }
  std::printf("%s\n", failed ? (std::to_string(failed) + " checks failed").c_str()
                             : "the plug-in conforms");
  return failed ? kNonConforming : kOk;
}

int SoakCommand(Plugin &p, const Request &request) {
  SoakReport r = Soak(p, request.number);
  std::printf("%llu tickets in %.1f s (%.0f tickets/s)\n"
              "heap blocks %zu before, %zu after; live texts %d before, %d after\n"
              "bitmaps %llu loaded, %llu deleted; image lists %llu created, %llu destroyed\n",
              (unsigned long long)r.tickets, r.seconds, r.seconds > 0 ? r.tickets / r.seconds : 0.0,
              r.heapBlocksBefore, r.heapBlocksAfter, r.textsBefore, r.textsAfter,
              (unsigned long long)r.bitmapsLoaded, (unsigned long long)r.bitmapsDeleted,
              (unsigned long long)r.listsCreated, (unsigned long long)r.listsDestroyed);
  if (!r.problem.empty()) {
    std::printf("FAIL %s\n", r.problem.c_str());
    return kNonConforming;
  }
  std::printf("nothing left behind\n");
  return kOk;
}
