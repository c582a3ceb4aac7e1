// Drives a running tkt-view from another process, by its window messages only: starts it, sends
// it requests and commands, types into its number box, reads what its controls show, saves
// what it shows, and reads its pixels off the screen.
#pragma once

#include <windows.h>

#include <string>

#include "common/utf8.h"
#include "tools/view/picture.h"

struct RunningViewer {
  PROCESS_INFORMATION process;
  HWND window;
};

// Starts the viewer with the command line's arguments and waits for its window; false if none
// came within 60 s.
bool StartViewer(const std::wstring &program, const std::wstring &arguments, RunningViewer &viewer);
// Asks it to close and waits; gives its exit code (or STILL_ACTIVE when it did not end).
DWORD CloseViewer(RunningViewer &viewer);
bool StillRunning(const RunningViewer &viewer);

// A WM_COPYDATA request (view_ids.h); its reply.
LRESULT Request(const RunningViewer &viewer, ULONG_PTR request, const std::wstring &text);
void Command(const RunningViewer &viewer, int id);
void TypeNumber(const RunningViewer &viewer, const std::wstring &text);
// Presses the key in the number box and waits until it shows `expected`; false if it did not.
bool PressKey(const RunningViewer &viewer, WPARAM key, const std::wstring &expected);

std::wstring ControlText(const RunningViewer &viewer, int id);
int EntryCount(const RunningViewer &viewer);
std::wstring Entry(const RunningViewer &viewer, int index);

// The shown picture, saved by the viewer as BMP into `path` and read back; empty on failure.
Picture SavedPicture(const RunningViewer &viewer, const std::wstring &path);
// The picture on the clipboard (a device-independent bitmap); empty when there is none.
Picture ClipboardPicture();
// The screen's pixels at the top-left of the picture's window.
Picture ScreenPicture(const RunningViewer &viewer, int width, int height);

// The whole window as the screen shows it, frame and menu included.
Picture WindowPicture(const RunningViewer &viewer);

// A command-line argument (ASCII paths and numbers) as the wide text the viewer takes.
std::wstring Wide(const char *text);
