// The system's Open and Save As dialogs.
#pragma once

#include <windows.h>

#include <string>

// The file the user chose to open (a plug-in) or to save to (a picture); false when cancelled.
bool AskPluginPath(HWND owner, std::wstring &path);
bool AskPicturePath(HWND owner, std::wstring &path);
