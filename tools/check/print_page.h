// The test page of a ticket plug-in on a printer: what an operator prints to hold the plug-in's
// tickets beside the same tickets drawn by Windows itself from the plug-in's own bitmaps.
#pragma once

#include <windows.h>

#include <string>

// One line for the report: printer, resolution, what was printed, or what failed.
struct PrintedPage {
  bool ok;
  std::string line;
};

// Prints the test page of the plug-in on the named printer (null or empty: the default printer),
// into outputFile when it is not null (StartDoc's lpszOutput).
PrintedPage PrintTestPage(HMODULE plugin, const char *printer, const char *outputFile);
