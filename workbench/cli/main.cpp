// tkt-workbench: runs a 32-bit ticket plug-in DLL inside a CPU emulator on any 64-bit Linux,
// with no Windows and no Wine: shows what it tells a host, draws tickets to PNG, traces its
// Windows calls and checks it against the design.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "workbench/cli/commands.h"

namespace {

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
