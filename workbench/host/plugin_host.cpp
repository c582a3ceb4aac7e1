#include "workbench/host/plugin_host.h"

#include <cstring>

#include "common/byte_reader.h"
#include "workbench/emulator/loader.h"
#include "workbench/winapi/standin.h"

const char *const kPluginExports[5] = {"DllMain", "DrawSeiriken", "GetPlgInfo", "SetCorpAddList",
                                       "SetPlgComment"};

bool LoadPlugin(Plugin &p, const std::string &path, std::string *error) {
  std::vector<uint8_t> bytes;
  return ReadFileBytes(path, &bytes, error) && LoadPluginBytes(p, path, std::move(bytes), error);
}

bool LoadPluginBytes(Plugin &p, const std::string &path, std::vector<uint8_t> bytes,
                     std::string *error) {
  if (!StartMachineWithStandIns(p.m, error))
    return false;
  p.module = LoadModuleBytes(p.m, path, std::move(bytes), error);
  if (p.module < 0)
    return false;
  std::string missing;
  for (const char *name : kPluginExports)
    if (!ExportAddress(p.m, p.module, name))
      missing += std::string(missing.empty() ? "" : ", ") + name;
  if (!missing.empty()) {
    *error = path + " is not a ticket plug-in: it does not export " + missing;
    return false;
  }
  return true;
}

bool OpenPlugin(Plugin &p, const std::string &path, std::string *error) {
  return LoadPlugin(p, path, error) && CallDllMain(p, 1, &p.attachResult, error);
}

bool CallDllMain(Plugin &p, uint32_t reason, uint32_t *result, std::string *error) {
  const LoadedModule &module = p.m.modules[static_cast<size_t>(p.module)];
  return CallGuest(p.m, module.base + module.pe.entryRva, {module.base, reason, 0}, result, error);
}

bool ReadGuestTextStore(Plugin &p, TextStoreSnapshot *snapshot, std::string *error) {
  if (CriticalSectionsOf(p.m).size() != 1) {
    *error = std::to_string(CriticalSectionsOf(p.m).size()) +
             " critical sections initialised; the text store has exactly one lock";
    return false;
  }
  snapshot->address = CriticalSectionsOf(p.m).begin()->first - offsetof(GuestTextStore, lock);
  GuestTextStore &store = snapshot->store;
  if (!ReadGuest(p.m, snapshot->address, &store, sizeof store)) {
    *error = "the text store at " + Hex32(snapshot->address) + " is unreadable";
    return false;
  }
  // A store that does not hold the process heap is not laid out as this record says.
  if (store.heap != kProcessHeapHandle || store.count < 0 || store.count > 0x100000) {
    *error = "the text store at " + Hex32(snapshot->address) + " holds heap " + Hex32(store.heap) +
             " and counts " + std::to_string(store.count) + " live texts";
    return false;
  }
  return true;
}

bool CallPlugin(Plugin &p, const char *name, const std::vector<uint32_t> &arguments,
                uint32_t *result, std::string *error) {
  return CallGuest(p.m, ExportAddress(p.m, p.module, name), arguments, result, error);
}

bool ReadPlgInfo(Plugin &p, uint32_t *result, std::vector<uint8_t> *record, std::string *error) {
  ResetScratch(p.m);
  uint32_t address = ScratchAlloc(p.m, 64);
  record->assign(64, 0xFF);
  WriteGuest(p.m, address, record->data(), record->size());
  if (!CallPlugin(p, "GetPlgInfo", {address}, result, error))
    return false;
  return ReadGuest(p.m, address, record->data(), record->size());
}

bool ReadComment(Plugin &p, uint32_t *result, std::string *text, std::string *error) {
  uint32_t edit = CreateEditModel(p.m);
  if (!CallPlugin(p, "SetPlgComment", {edit}, result, error))
    return false;
  *text = WindowModelsOf(p.m)[edit].text;
  return true;
}

bool ReadList(Plugin &p, uint32_t *result, std::vector<std::string> *entries, std::string *error) {
  uint32_t combo = CreateComboBoxModel(p.m);
  WindowModelsOf(p.m)[combo].items = {"stale"};
  if (!CallPlugin(p, "SetCorpAddList", {combo}, result, error))
    return false;
  *entries = WindowModelsOf(p.m)[combo].items;
  return true;
}

bool DrawTicket(Plugin &p, const uint32_t arguments[8], int32_t width, int32_t height,
                uint32_t fill, uint32_t *dc, uint32_t *result, std::string *error) {
  p.m.log.calls.clear();
  *dc = CreateCanvas(p.m, width, height, fill);
  std::vector<uint32_t> all(arguments, arguments + 8);
  all[0] = *dc;
  return CallPlugin(p, "DrawSeiriken", all, result, error);
}

std::vector<GlyphDraw> GlyphDraws(const CallLog &log) {
  std::vector<GlyphDraw> draws;
  bool created = false;
  uint32_t digitList = 0; // null when its creation failed: then nothing is drawn from it
  for (const LoggedCall &call : log.calls) {
    if (!created && std::strcmp(call.name, "ImageList_Create") == 0) {
      created = true;
      digitList = call.result;
    } else if (digitList && std::strcmp(call.name, "ImageList_Draw") == 0 &&
               call.arguments[0] == digitList)
      draws.push_back({static_cast<int32_t>(call.arguments[1]),
                       static_cast<int32_t>(call.arguments[3]),
                       static_cast<int32_t>(call.arguments[4])});
  }
  return draws;
}

bool TicketSize(Plugin &p, int32_t *width, int32_t *height, std::string *error) {
  uint32_t infoResult = 0;
  std::vector<uint8_t> record;
  if (!ReadPlgInfo(p, &infoResult, &record, error))
    return false;
  GuestPlgInfo info{};
  ReadAt(record, 0, &info);
  *width = info.width;
  *height = info.height;
  if (info.width <= 0 || info.height <= 0 || info.width > 4096 || info.height > 4096) {
    *error = "GetPlgInfo reports an impossible ticket size " + std::to_string(info.width) + " x " +
             std::to_string(info.height);
    return false;
  }
  return true;
}

bool RenderTicket(Plugin &p, uint32_t number, Pixels *picture, std::string *error) {
  int32_t width = 0, height = 0;
  if (!TicketSize(p, &width, &height, error))
    return false;
  const uint32_t arguments[8] = {0, 0, 0, 0, 0, number, 0, 0};
  uint32_t dc = 0, result = 0;
  if (!DrawTicket(p, arguments, width, height, 0xFFFFFFFF, &dc, &result, error))
    return false;
  *picture = Gdi(p.m).canvases[dc].pixels;
  Gdi(p.m).canvases.erase(dc);
  return true;
}
