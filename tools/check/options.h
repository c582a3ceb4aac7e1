// The checker's command line:
//   tkt-check [--full] [--print [PRINTER]] [--print-file FILE] [--log FILE] [--time-limit SECONDS]
//             [PLUGIN.QPL]
// --print-file sends the printed page to a file instead of the printer's port (for tests);
// --time-limit is how long a call of the plug-in may take before its stage is taken to hang. The
// hidden `--stage NAME --channel PIPE,MAPPING [--part I/N]` runs one stage of the check (or part I
// of N of its work), in the child process the checker starts for it.
#pragma once

#include <string>

struct Options {
  bool full = false;
  bool print = false;
  std::string printer;      // empty: the default printer
  std::string printFile;    // empty: the printer's own port
  std::string log;          // empty: tkt-check.log beside the plug-in, else in the current folder
  int timeLimitSeconds = 0; // 0: each stage's own
  std::string stage;        // empty: the whole check
  std::string channel;      // the stage's private channel (stage_channel.h)
  int part = 0, parts = 1;  // the stage's share of the work
  std::string plugin;       // empty: TKT_A1.QPL beside the checker
};

extern const char Usage[];

// False, with the reason, for a command line the checker does not understand.
bool ParseOptions(int argc, char **argv, Options &options, std::string *error);

// The arguments that give a stage (part `part` of `parts`) the same options, for its command line.
std::string StageArguments(const Options &options, const char *stage, const std::string &channel,
                           int part, int parts);
