// A ticket plug-in loaded and called as a host does: LoadLibrary by its file name, the five
// exports by name, stdcall. Every call runs guarded (guarded_call.h); what fails is told as a
// message for the window, never as a crash of the viewer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/view/picture.h"

struct ViewedPlugin {
  HMODULE module = nullptr;
  std::wstring path;
  const void *getPlgInfo = nullptr, *setPlgComment = nullptr, *setCorpAddList = nullptr,
             *drawSeiriken = nullptr;
  bool hung = false; // a call never returned: the plug-in is not called again
  // What the set-up calls gave.
  int32_t infoResult = 0;
  int32_t record[14] = {};
  int32_t commentResult = 0;
  std::string description; // as the plug-in sent it (code page 932)
  int32_t listResult = 0;
  std::vector<std::string> entries;
};

// Loads the file and asks what a host asks (record, description, list entries). Gives what went
// wrong, for the window, or nothing. The plug-in can draw afterwards only where CanDraw says so.
std::wstring OpenPlugin(const std::wstring &path, ViewedPlugin &plugin);
void ClosePlugin(ViewedPlugin &plugin);

bool CanDraw(const ViewedPlugin &plugin);
int TicketWidth(const ViewedPlugin &plugin);
int TicketHeight(const ViewedPlugin &plugin);

// Draws each ticket into a canvas of its own of the record's size, white to begin with, 32 bits
// per pixel or one bit (a thermal printer's). Gives what went wrong, or nothing; *lastResult is
// DrawSeiriken's result for the last ticket.
std::wstring DrawTickets(ViewedPlugin &plugin, const std::vector<int32_t> &numbers, bool oneBit,
                         std::vector<Picture> &pictures, int32_t *lastResult);

// Code page 932 bytes as wide text, whatever the system's code page.
std::wstring FromCodePage932(const std::string &bytes);
