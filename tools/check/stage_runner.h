// Runs one stage of the check in a child process (the checker started again with --stage) and
// passes its lines on to the report. A stage that raises an exception reports it itself and
// ends; one that stays silent past the time limit (no call of the plug-in ends or begins) is
// ended here and reported as hanging, with the call it was in.
#pragma once

#include <string>

#include "tools/check/options.h"
#include "tools/check/report.h"

// The exit codes of a stage process.
enum StageExit { StageDone = 0, StageCannotLoad = 3, StageException = 4, StageEnded = 5 };

// Gives the stage's exit code (StageEnded when it had to be ended).
int RunStage(Report &report, const Options &options, const char *stage);
