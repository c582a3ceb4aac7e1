// tkt-workbench: runs a 32-bit ticket plug-in DLL inside a CPU emulator on any 64-bit Linux,
// with no Windows and no Wine: shows what it tells a host, draws tickets to PNG, traces its
// Windows calls and checks it against the design.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/ticket_sizes.h"
#include "tools/png/png_image.h"
#include "workbench/emulator/cp932.h"
#include "workbench/host/conformance.h"
#include "workbench/host/plugin_host.h"
#include "workbench/host/soak.h"
#include "workbench/pe/byte_reader.h"
#include "workbench/standins/standin.h"

namespace {

enum ExitCode {
  kOk = 0,
  kNonConforming = 1,
  kUsage = 2,
  kCannotLoad = 3,
  kPluginFault = 4,
  kCannotWrite = 5,
};

const char kUsageText[] =
    "Usage: tkt-workbench [--plugin FILE] COMMAND [ARGUMENTS]\n"
    "\n"
    "Runs a 32-bit Windows ticket plug-in DLL inside a CPU emulator, standing in for the\n"
    "Windows functions it imports. No Windows and no Wine are needed.\n"
    "\n"
    "Commands:\n"
    "  info               the plug-in's record, description (as UTF-8) and list entries\n"
    "  render N -o FILE   draw ticket N into a PNG file\n"
    "  sheet -o FILE      draw tickets 0 to 99 on one PNG sheet\n"
    "  trace N            every Windows call of one drawing of ticket N, with arguments\n"
    "  check              check the plug-in against the design and print a report\n"
    "  soak N             draw N tickets in a row and show that the heap, the texts, the\n"
    "                     bitmaps and the image lists end where they started\n"
    "\n"
    "Options:\n"
    "  --plugin FILE      the plug-in DLL (default: " WB_DEFAULT_PLUGIN ")\n"
    "  --fail FUNCTION:N  the Nth call of FUNCTION after loading fails as on Windows; one of\n"
    "                     HeapAlloc, HeapReAlloc, LoadBitmapA, ImageList_Create, ImageList_Add\n"
    "  -h, --help         this text\n"
    "\n"
    "Exit codes: 0 done (check: conforms, soak: nothing left), 1 check or soak found\n"
    "differences, 2 usage error,\n"
    "3 the file cannot be loaded as a ticket plug-in, 4 the plug-in faulted,\n"
    "5 the picture cannot be written.\n";

int Usage(const std::string &message) {
  std::fprintf(stderr, "tkt-workbench: %s\nTry 'tkt-workbench --help'.\n", message.c_str());
  return kUsage;
}

bool ParseNumber(const std::string &text, uint32_t *value) {
  char *end = nullptr;
  long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != 0 || parsed < -2147483648LL || parsed > 4294967295LL)
    return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

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

int Info(Plugin &p) {
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

int Render(Plugin &p, uint32_t number, const std::string &output) {
  Pixels picture;
  std::string error;
  if (!RenderTicket(p, number, &picture, &error))
    return Faulted(error);
  return WritePicture(output, picture);
}

// Tickets 0 to 99 in ten rows of ten, on a grey ground with a 4-pixel gap.
int Sheet(Plugin &p, const std::string &output) {
  const int32_t gap = 4;
  Pixels sheet{0, 0, {}};
  for (uint32_t n = 0; n < 100; ++n) {
    Pixels ticket;
    std::string error;
    if (!RenderTicket(p, n, &ticket, &error))
      return Faulted("ticket " + std::to_string(n) + ": " + error);
    if (sheet.data.empty()) {
      sheet.width = gap + 10 * (ticket.width + gap);
      sheet.height = gap + 10 * (ticket.height + gap);
      sheet.data.assign(static_cast<size_t>(sheet.width) * sheet.height, 0xFF808080);
    }
    int32_t left = gap + static_cast<int32_t>(n % 10) * (ticket.width + gap);
    int32_t top = gap + static_cast<int32_t>(n / 10) * (ticket.height + gap);
    for (int32_t y = 0; y < ticket.height; ++y)
      std::memcpy(&sheet.data[static_cast<size_t>((top + y) * sheet.width + left)],
                  &ticket.data[static_cast<size_t>(y * ticket.width)],
                  static_cast<size_t>(ticket.width) * 4);
  }
  return WritePicture(output, sheet);
}

int Trace(Plugin &p, uint32_t number) {
  const uint32_t arguments[8] = {0, 0, 0, 0, 0, number, 0, 0};
  uint32_t dc = 0, result = 0;
  std::string error;
  bool ran = DrawTicket(p, arguments, FaceWidth, FaceHeight, 0xFFFFFFFF, &dc, &result, &error);
  std::printf("DrawSeiriken(0x%X, 0, 0, 0, 0, 0x%X, 0, 0) on a %d x %d canvas\n", dc, number,
              FaceWidth, FaceHeight);
  for (const LoggedCall &call : p.m.log.calls)
    std::printf("  %s\n", FormatCall(call).c_str());
  if (!ran)
    return Faulted(error);
  std::printf("returned %u; %zu Windows calls; bitmaps %llu loaded, %llu deleted; image lists "
              "%llu created, %llu destroyed; %zu heap blocks live\n",
              result, p.m.log.calls.size(), (unsigned long long)p.m.gdi.bitmapsCreated,
              (unsigned long long)p.m.gdi.bitmapsDeleted, (unsigned long long)p.m.gdi.listsCreated,
              (unsigned long long)p.m.gdi.listsDestroyed, LiveHeapBlockCount(p.m));
  for (const std::string &problem : p.m.problems)
    std::printf("problem: %s\n", problem.c_str());
  return kOk;
}

int Check(Plugin &p) {
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

int SoakCommand(Plugin &p, uint32_t tickets) {
  SoakReport r = Soak(p, tickets);
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

} // namespace

int main(int argc, char **argv) {
  std::string plugin = WB_DEFAULT_PLUGIN, output, failure;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsageText, stdout);
      return kOk;
    }
    if (arg == "--plugin" || arg == "-o") {
      if (i + 1 >= argc)
        return Usage(arg + " needs a file name");
      (arg == "-o" ? output : plugin) = argv[++i];
    } else if (arg == "--fail") {
      if (i + 1 >= argc)
        return Usage("--fail needs FUNCTION:N");
      failure = argv[++i];
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty())
    return Usage("no command given");
  const std::string &command = words[0];
  uint32_t number = 0;
  size_t wanted = command == "render" || command == "trace" || command == "soak" ? 2 : 1;
  if (command != "info" && command != "render" && command != "sheet" && command != "trace" &&
      command != "check" && command != "soak")
    return Usage("unknown command '" + command + "'");
  if (words.size() != wanted)
    return Usage(command + (wanted == 1         ? " takes no arguments"
                            : command == "soak" ? " takes one count of tickets"
                                                : " takes one ticket number"));
  if (wanted == 2 && !ParseNumber(words[1], &number))
    return Usage("'" + words[1] + "' is not a " +
                 (command == "soak" ? "count of tickets" : "ticket number"));
  if ((command == "render" || command == "sheet") && output.empty())
    return Usage(command + " needs -o FILE.png");
  size_t colon = failure.rfind(':');
  uint32_t nth = 0;
  if (!failure.empty() &&
      (colon == std::string::npos || !ParseNumber(failure.substr(colon + 1), &nth) || nth == 0))
    return Usage("--fail takes FUNCTION:N with N from 1 up, not '" + failure + "'");

  Plugin p;
  std::string error;
  if (!OpenPlugin(p, plugin, &error)) {
    std::fprintf(stderr, "tkt-workbench: %s\n", error.c_str());
    return kCannotLoad;
  }
  if (!failure.empty() && !FailNthCall(p.m, failure.substr(0, colon), nth))
    return Usage(failure.substr(0, colon) + " cannot be made to fail");
  if (command == "info")
    return Info(p);
  if (command == "render")
    return Render(p, number, output);
  if (command == "sheet")
    return Sheet(p, output);
  if (command == "trace")
    return Trace(p, number);
  if (command == "soak")
    return SoakCommand(p, number);
  return Check(p);
}
