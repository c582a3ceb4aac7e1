// The private channel between a stage process and the checker that started it. The plug-in
// shares the stage's process, its standard output and its exit code, so none of them carries the
// stage's report: its lines and its closing record travel on a pipe of their own, and the call
// under way sits in a record of shared memory that the checker reads without a line per call.
// Both handles are inherited by the stage, their values given on its command line.
#pragma once

#include <windows.h>

#include <cstdint>

// No ticket number belongs to the call.
const int64_t NoTicket = INT64_MIN;

// Written by the stage, read by the checker: the plug-in's calls begun and ended so far (the
// checker takes a stage whose counts stop moving for a hang), the last call begun, and the
// stage's own progress in what it counts (tickets), for the operator.
struct CallRecord {
  volatile LONG begun, ended;
  volatile LONG done, total;
  int64_t ticket;
  char call[120]; // the export, or what the checker itself is doing
};

// The closing records a stage sends after its lines, one of them as its very last act. A stage
// that ends without any was ended by something else: the plug-in.
#define END_DONE "= done"               // every check ran to its end
#define END_EXCEPTION "= exception"     // an exception, already reported in a FAIL line
#define END_CANNOT_LOAD "= cannot load" // the file is no plug-in, already reported
#define END_THREAD "= thread ended "    // + the exit code of the thread the checks ran on
// What a stage split into parts counts, sent before its end: "= tally CHECKED WRONG NONZERO".
#define TALLY "= tally "

// The command-line value that names the two handles: "PIPE,MAPPING".
const char ChannelOption[] = "--channel";
