// A window of the viewer's own, registered as an ANSI class, that the plug-in writes to as to a
// host's edit control or combo box. It keeps the bytes the plug-in sends (WM_SETTEXT,
// CB_RESETCONTENT, CB_ADDSTRING) exactly as they come, before any code page turns them into
// something else: the plug-in's texts are code page 932, whatever the system's code page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CaughtTexts {
  std::string text;                 // the last WM_SETTEXT
  std::vector<std::string> entries; // the entries as a combo box would hold them
};

// A message-only window of the calling thread that records into `caught`; null on failure.
HWND MakeCatcher(CaughtTexts *caught);
