// The viewer's state and what it does, whichever way it was asked: menu, keys, dialogs, drag and
// drop, command line or WM_COPYDATA.
#pragma once

#include <windows.h>

#include <string>

#include "tools/view/picture.h"
#include "tools/view/plugin_host.h"

struct Viewer {
  HWND window, plugin, compared, record, description, entries, number, status, view;
  HFONT japaneseFont;                       // for the plug-in's texts
  ViewedPlugin first, second;               // second: the plug-in compared with the first, if any
  std::wstring firstMessage, secondMessage; // what opening them said
  int32_t ticket = 0;
  bool sheet = false, oneBit = false;
  int zoom = 1;
  int perPage = 1; // tickets on a printed page; 0: as many as fit
  Picture shown;
};

// main_window.cpp; the label above the entries tells their number.
const int IdEntriesLabel = 5;
HWND MakeViewerWindow(Viewer &viewer);
void SetCommandChecks(Viewer &viewer);

// viewer_actions.cpp
bool OpenFirst(Viewer &viewer, const std::wstring &path);
bool OpenSecond(Viewer &viewer, const std::wstring &path);
void CloseSecond(Viewer &viewer);
// Draws what the window is to show anew and says how it went.
void Refresh(Viewer &viewer);
// Takes the number from its box (typed), or steps it and puts it there.
void NumberTyped(Viewer &viewer);
void StepNumber(Viewer &viewer, int32_t step);
bool SaveShown(Viewer &viewer, const std::wstring &path);
bool CopyShown(Viewer &viewer);
void SetStatus(Viewer &viewer, const std::wstring &text);

// printing.cpp
struct PrintRequest {
  std::wstring printer;    // empty: the default printer
  std::wstring outputFile; // empty: the printer's own port
  int32_t first, last;
  int perPage;
};
bool PrintTickets(Viewer &viewer, const PrintRequest &request);
// The system's print dialog, then PrintTickets.
void PrintThroughDialog(Viewer &viewer);
