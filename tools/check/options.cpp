#include "tools/check/options.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char Usage[] =
    "usage: tkt-check [--full] [--print [PRINTER]] [--log FILE] [PLUGIN.QPL]\n"
    "  Checks a ticket plug-in on this machine (default: TKT_A1.QPL beside tkt-check.exe) and\n"
    "  writes the report to tkt-check.log beside the plug-in (or in the current folder).\n"
    "  --full             every ticket number instead of the quick set (a few minutes)\n"
    "  --print [PRINTER]  also print a test page (default printer when none is named)\n"
    "  --print-file FILE  print into FILE instead of to the printer's port\n"
    "  --log FILE         write the report to FILE\n"
    "  --time-limit S     seconds one call may take before it is ended as hanging (60)\n"
    "Exit codes: 0 every check passed, 1 a check failed, 2 usage, 3 the file cannot be loaded\n"
    "as a plug-in.\n";

namespace {

bool IsFile(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TakesValue(const std::string &word) {
  return word == "--print-file" || word == "--log" || word == "--stage" || word == "--channel" ||
         word == "--part" || word == "--time-limit";
}

std::string Quote(const std::string &word) {
  return " \"" + word + "\"";
}

} // namespace

bool ParseOptions(int argc, char **argv, Options &options, std::string *error) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    bool hasValue = i + 1 < argc;
    if (word == "--full") {
      options.full = true;
    } else if (word == "--print") {
      options.print = true;
      // The next word names the printer unless it is the plug-in file, given last.
      if (hasValue && argv[i + 1][0] != '-' && !(i + 2 == argc && IsFile(argv[i + 1])))
        options.printer = argv[++i];
    } else if (TakesValue(word) && hasValue) {
      std::string value = argv[++i];
      if (word == "--print-file")
        options.printFile = value;
      else if (word == "--log")
        options.log = value;
      else if (word == "--stage")
        options.stage = value;
      else if (word == "--channel")
        options.channel = value;
      else if (word == "--part") {
        if (std::sscanf(value.c_str(), "%d/%d", &options.part, &options.parts) != 2 ||
            options.part < 0 || options.part >= options.parts) {
          *error = "--part takes I/N, not \"" + value + "\"";
          return false;
        }
      } else if ((options.timeLimitSeconds = std::atoi(value.c_str())) <= 0) {
        *error = "--time-limit takes a number of seconds, not \"" + value + "\"";
        return false;
      }
    } else if (word.size() > 1 && word[0] == '-') {
      *error = TakesValue(word) ? word + " needs a value" : "unknown option " + word;
      return false;
    } else if (options.plugin.empty()) {
      options.plugin = word;
    } else {
      *error = "one plug-in at a time: \"" + options.plugin + "\" and \"" + word + "\"";
      return false;
    }
  }
  return true;
}

std::string StageArguments(const Options &options, const char *stage, const std::string &channel,
                           int part, int parts) {
  std::string arguments = std::string(" --stage ") + stage + " --channel " + channel;
  if (parts > 1)
    arguments += " --part " + std::to_string(part) + "/" + std::to_string(parts);
  if (options.full)
    arguments += " --full";
  if (options.print)
    arguments += " --print" + Quote(options.printer);
  if (!options.printFile.empty())
    arguments += " --print-file" + Quote(options.printFile);
  return arguments + Quote(options.plugin);
}
