// A ticket plug-in loaded into the workbench, and the host's side of each of its exports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/emulator/machine.h"
#include "workbench/host/plugin_records.h"
#include "workbench/winapi/debug.h"
#include "workbench/winapi/gdi.h"
#include "workbench/winapi/heap.h"
#include "workbench/winapi/standin.h"
#include "workbench/winapi/sync.h"
#include "workbench/winapi/windows.h"

// The exports every ticket plug-in has, in ordinal order.
extern const char *const kPluginExports[5];

struct Plugin {
  Machine m;
  int module = -1;
  uint32_t attachResult = 0;
};

// Loads the DLL and checks it has the plug-in's exports; its entry point has not run yet. False
// with a plain message otherwise.
bool LoadPlugin(Plugin &p, const std::string &path, std::string *error);
// The same for a file's bytes already in memory; path names the module in messages.
bool LoadPluginBytes(Plugin &p, const std::string &path, std::vector<uint8_t> bytes,
                     std::string *error);

// LoadPlugin, then the entry point for process attach.
bool OpenPlugin(Plugin &p, const std::string &path, std::string *error);

// Calls the module's entry point as the Windows loader does, with (module, reason, 0). For this
// design the entry point is DllMain itself; for a module with start-up code, that code runs.
bool CallDllMain(Plugin &p, uint32_t reason, uint32_t *result, std::string *error);

// The plug-in's text store as the guest holds it, found by its lock: the one critical section the
// module initialises.
struct TextStoreSnapshot {
  uint32_t address;     // of the store in guest memory
  GuestTextStore store; // its fields, the lock's included
};
bool ReadGuestTextStore(Plugin &p, TextStoreSnapshot *snapshot, std::string *error);

// Calls one export with scratch memory reset; false with the fault's message.
bool CallPlugin(Plugin &p, const char *name, const std::vector<uint32_t> &arguments,
                uint32_t *result, std::string *error);

// GetPlgInfo on a record followed by 8 more bytes, all filled with FF bytes: the result and all
// 64 bytes after (a GuestPlgInfo and what follows it).
bool ReadPlgInfo(Plugin &p, uint32_t *result, std::vector<uint8_t> *record, std::string *error);

// SetPlgComment on a fresh edit control: the result and the control's text.
bool ReadComment(Plugin &p, uint32_t *result, std::string *text, std::string *error);

// SetCorpAddList on a fresh combo box holding one stale entry: the result and the entries.
bool ReadList(Plugin &p, uint32_t *result, std::vector<std::string> *entries, std::string *error);

// One glyph drawn from the digit image list.
struct GlyphDraw {
  int32_t glyph;
  int32_t x;
  int32_t y;
};

// DrawSeiriken(dc, ...) with the given eight arguments, the first replaced by a canvas of
// width x height filled with fill. The canvas handle is returned in *dc.
bool DrawTicket(Plugin &p, const uint32_t arguments[8], int32_t width, int32_t height,
                uint32_t fill, uint32_t *dc, uint32_t *result, std::string *error);

// The call log is cleared first, so that it holds the calls of this drawing alone.

// The glyph draws of the last DrawSeiriken, from the call log: draws from the first image list
// created in it (the digit list).
std::vector<GlyphDraw> GlyphDraws(const CallLog &log);

// The ticket's size as GetPlgInfo reports it; false with a message when the call faults or the
// size is impossible.
bool TicketSize(Plugin &p, int32_t *width, int32_t *height, std::string *error);

// Renders ticket `number` (the ticket-number argument; the others 0) on a white canvas of the
// record's size; the picture, or false with a message.
bool RenderTicket(Plugin &p, uint32_t number, Pixels *picture, std::string *error);
