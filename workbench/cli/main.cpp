// tkt-workbench: runs a 32-bit ticket plug-in DLL inside a CPU emulator on any 64-bit Linux,
// with no Windows and no Wine: shows what it tells a host, draws tickets to PNG, traces its
// Windows calls and checks it against the design.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/byte_reader.h"
#include "common/png_image.h"
#include "common/sheet_layout.h"
#include "workbench/emulator/cp932.h"
#include "workbench/host/conformance.h"
#include "workbench/host/plugin_host.h"
#include "workbench/host/soak.h"
#include "workbench/winapi/standin.h"

namespace {

enum ExitCode {
  kOk = 0,
  kNonConforming = 1,
  kUsage = 2,
  kCannotLoad = 3,
  kPluginFault = 4,
  kCannotWrite = 5,
};

int Usage(const std::string &message) {
  std::fprintf(stderr, "tkt-workbench: %s\nTry 'tkt-workbench --help'.\n", message.c_str());
  return kUsage;
}

// A number from `lowest` to 4294967295, decimal or 0x-hexadecimal; false for anything else.
bool ParseNumber(const std::string &text, long long lowest, uint32_t *value) {
  char *end = nullptr;
  long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || *end != 0 || parsed < lowest || parsed > 4294967295LL)
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

// What a command is given on the command line.
struct Request {
  uint32_t number = 0; // the ticket number, or the count of tickets
  std::string output;  // -o FILE
};

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

// Tickets 0 to 99, laid out as the Windows preview lays them out.
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

// On a canvas of the size GetPlgInfo reports, as render draws.
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

enum class Argument { None, TicketNumber, Count };

// The commands: what each takes, its line of the help, and what runs it.
struct Command {
  const char *name;
  Argument argument;
  bool writesPicture; // needs -o FILE
  const char *help;   // after the name and its arguments; a new line continues it
  int (*run)(Plugin &p, const Request &r);
};

const Command kCommands[] = {
    {"info", Argument::None, false, "the plug-in's record, description (as UTF-8) and list entries",
     Info},
    {"render", Argument::TicketNumber, true, "draw ticket N into a PNG file", Render},
    {"sheet", Argument::None, true, "draw tickets 0 to 99 on one PNG sheet", Sheet},
    {"trace", Argument::TicketNumber, false,
     "every Windows call of one drawing of ticket N, with arguments", Trace},
    {"check", Argument::None, false, "check the plug-in against the design and print a report",
     Check},
    {"soak", Argument::Count, false,
     "draw N tickets in a row and show that the heap, the texts, the\n"
     "bitmaps and the image lists end where they started",
     SoakCommand},
};

std::string Synopsis(const Command &c) {
  return std::string(c.name) + (c.argument == Argument::None ? "" : " N") +
         (c.writesPicture ? " -o FILE" : "");
}

// Two columns: what to type, and what it does; a long description goes on below, indented.
std::string HelpLine(const std::string &left, const std::string &right) {
  std::string line = "  " + left + std::string(left.size() < 19 ? 19 - left.size() : 1, ' ');
  for (char c : right)
    line += c == '\n' ? std::string("\n") + std::string(21, ' ') : std::string(1, c);
  return line + "\n";
}

std::string UsageText() {
  std::string text =
      "Usage: tkt-workbench [--plugin FILE] COMMAND [ARGUMENTS]\n"
      "\n"
      "Runs a 32-bit Windows ticket plug-in DLL inside a CPU emulator, standing in for the\n"
      "Windows functions it imports. No Windows and no Wine are needed.\n"
      "\n"
      "Commands:\n";
  for (const Command &c : kCommands)
    text += HelpLine(Synopsis(c), c.help);
  text += "\nOptions:\n" +
          HelpLine("--plugin FILE", "the plug-in DLL (default: " WB_DEFAULT_PLUGIN ")") +
          HelpLine("--fail FUNCTION:N", "the Nth call of FUNCTION after loading fails as on "
                                        "Windows; one of\n" +
                                            FailingStandInNames()) +
          HelpLine("-h, --help", "this text") +
          "\n"
          "Exit codes: 0 done (check: conforms, soak: nothing left), 1 check or soak found\n"
          "differences, 2 usage error,\n"
          "3 the file cannot be loaded as a ticket plug-in, 4 the plug-in faulted,\n"
          "5 the picture cannot be written.\n";
  return text;
}

// Finds the command the words name and reads its argument; what is wrong with them, or empty.
std::string ParseCommand(const std::vector<std::string> &words, Request *request,
                         const Command **found) {
  if (words.empty())
    return "no command given";
  const Command *command = nullptr;
  for (const Command &c : kCommands)
    if (words[0] == c.name)
      command = &c;
  if (!command)
    return "unknown command '" + words[0] + "'";
  const std::string name = command->name;
  const char *what =
      command->argument == Argument::Count ? "count of tickets (1 or more)" : "ticket number";
  if (command->argument == Argument::None && words.size() != 1)
    return name + " takes no arguments";
  if (command->argument != Argument::None && words.size() != 2)
    return name + " takes one " + what;
  // A ticket number is any 32-bit argument; a count is from 1 up.
  long long lowest = command->argument == Argument::Count ? 1 : -2147483648LL;
  if (command->argument != Argument::None && !ParseNumber(words[1], lowest, &request->number))
    return "'" + words[1] + "' is not a " + what;
  if (command->writesPicture && request->output.empty())
    return name + " needs -o FILE.png";
  *found = command;
  return "";
}

} // namespace

int main(int argc, char **argv) {
  std::string plugin = WB_DEFAULT_PLUGIN, failure;
  Request request;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(UsageText().c_str(), stdout);
      return kOk;
    }
    if (arg == "--plugin" || arg == "-o") {
      if (i + 1 >= argc)
        return Usage(arg + " needs a file name");
      (arg == "-o" ? request.output : plugin) = argv[++i];
    } else if (arg == "--fail") {
      if (i + 1 >= argc)
        return Usage("--fail needs FUNCTION:N");
      failure = argv[++i];
    } else {
      words.push_back(arg);
    }
  }
  const Command *command = nullptr;
  std::string problem = ParseCommand(words, &request, &command);
  if (!problem.empty())
    return Usage(problem);
  size_t colon = failure.rfind(':');
  uint32_t nth = 0;
  if (!failure.empty() &&
      (colon == std::string::npos || !ParseNumber(failure.substr(colon + 1), 1, &nth)))
    return Usage("--fail takes FUNCTION:N with N from 1 up, not '" + failure + "'");

  Plugin p;
  std::string error;
  if (!OpenPlugin(p, plugin, &error)) {
    std::fprintf(stderr, "tkt-workbench: %s\n", error.c_str());
    return kCannotLoad;
  }
  if (!failure.empty() && !FailNthCall(p.m, failure.substr(0, colon), nth))
    return Usage(failure.substr(0, colon) + " cannot be made to fail");
  return command->run(p, request);
}
