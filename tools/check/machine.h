// The first lines of a report: the checker's version and the machine it runs on (Windows and
// Wine versions, processor, ANSI code page, the screen's colour depth).
#pragma once

#include "tools/check/report.h"

void ReportMachine(Report &report);
