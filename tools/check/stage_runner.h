// Runs one stage of the check in child processes (the checker started again with --stage: one,
// or with --full four per processor for a stage whose work is shared out) and passes their lines
// on to the report. A stage has run only when its process says so as its last act, on its
// private channel: one that ends without that, or stays silent past its time limit (no call of
// the plug-in begins or ends), is reported with the call it was in.
#pragma once

#include <string>
#include <vector>

#include "tools/check/options.h"
#include "tools/check/report.h"
#include "tools/check/stages.h"

// What the plug-in wrote to the standard output and error of the stages, for one warning.
struct PluginOutput {
  long lines = 0;
  std::vector<std::string> first;
};

// False when the load stage said that the file cannot be loaded as a plug-in.
bool RunStage(Report &report, const Options &options, const Stage &stage, PluginOutput &output);

// The warning about what the plug-in wrote, if it wrote anything.
void ReportPluginOutput(Report &report, const PluginOutput &output);
