// The workbench's commands: each runs on a plug-in loaded and attached, prints what it found and
// gives the program's exit code. main.cpp holds the table that names them and reads their
// arguments.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/host/plugin_host.h"

enum ExitCode {
  kOk = 0,
  kNonConforming = 1,
  kUsage = 2,
  kCannotLoad = 3,
  kPluginFault = 4,
  kCannotWrite = 5,
};

// What a command is given on the command line.
struct Request {
  uint32_t number = 0; // the ticket number, or the count of tickets
  std::string output;  // -o FILE
};

int Info(Plugin &p, const Request &r);
int Render(Plugin &p, const Request &r);
// Tickets 0 to 99, laid out as the Windows preview lays them out.
int Sheet(Plugin &p, const Request &r);
// Every Windows call of one drawing, on a canvas of the size GetPlgInfo reports, as render draws.
int Trace(Plugin &p, const Request &r);
int Check(Plugin &p, const Request &r);
int SoakCommand(Plugin &p, const Request &r);
