// The checker's command line:
//   tkt-check [--full] [--print [PRINTER]] [--print-file FILE] [--log FILE] [--time-limit SECONDS]
//             [PLUGIN.QPL]
// --print-file sends the printed page to a file instead of the printer's port (for tests);
// --time-limit is how long a call of the plug-in may take before its stage is taken to hang. The
// hidden
// `--stage NAME` runs one stage of the check, in the child process the checker starts for it.
#pragma once

#include <string>

struct Options {
  bool full = false;
  bool print = false;
  std::string printer;   // empty: the default printer
  std::string printFile; // empty: the printer's own port
  std::string log;       // empty: tkt-check.log beside the plug-in, else in the current folder
  int timeLimitSeconds = 60;
  std::string stage;  // empty: the whole check
  std::string plugin; // empty: TKT_A1.QPL beside the checker
};

extern const char Usage[];

// False, with the reason, for a command line the checker does not understand.
bool ParseOptions(int argc, char **argv, Options &options, std::string *error);

// The arguments that give a stage the same options, for its command line.
std::string StageArguments(const Options &options, const char *stage);
