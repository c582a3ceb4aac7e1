#include "tools/check/plugin_calls.h"

#include <map>

#include "common/export_call.h"
#include "common/utf8.h"

namespace {

std::map<std::string, int32_t> stackFaults; // export: first distance seen

} // namespace

bool LoadPlugin(const std::string &path, LoadedPlugin &plugin, std::string *reason) {
  plugin = {};
  plugin.path = path;
  BeginCall("DllMain (process attach, through LoadLibrary)", NoTicket);
  plugin.module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  EndCall();
  if (!plugin.module) {
    DWORD error = GetLastError();
    // In English where the system has it: the report goes to the plug-in's makers.
    wchar_t message[512] = {};
    for (DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}})
      if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         language, message, 512, nullptr))
        break;
    std::string text = Utf8(message);
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
      text.pop_back();
    for (size_t at; (at = text.find("%1")) != std::string::npos;)
      text.replace(at, 2, "the file");
    *reason = Format("error %lu%s%s", error, text.empty() ? "" : ": ", text.c_str());
    return false;
  }
  auto find = [&](const char *name) {
    return reinterpret_cast<const void *>(GetProcAddress(plugin.module, name));
  };
  plugin.dllMain = find("DllMain");
  plugin.getPlgInfo = find("GetPlgInfo");
  plugin.setPlgComment = find("SetPlgComment");
  plugin.setCorpAddList = find("SetCorpAddList");
  plugin.drawSeiriken = find("DrawSeiriken");
  return true;
}

int32_t CallExport(const char *name, const void *function, std::initializer_list<uintptr_t> args,
                   int64_t ticket) {
  uintptr_t a[8] = {};
  uint32_t count = 0;
  for (uintptr_t value : args)
    a[count++] = value;
  BeginCall(name, ticket);
  int32_t drift = 0;
  uint32_t result = CallWindowsExport(function, a, count, &drift);
  if (drift != 0 && !stackFaults.count(name))
    stackFaults[name] = drift;
  EndCall();
  return static_cast<int32_t>(result);
}

void UnloadPlugin(LoadedPlugin &plugin) {
  BeginCall("DllMain (process detach, through FreeLibrary)", NoTicket);
  FreeLibrary(plugin.module);
  EndCall();
  plugin.module = nullptr;
}

bool MeasuresStack() {
#if defined(__i386__)
  return true;
#else
  return false;
#endif
}

std::string StackFaults() {
  std::string text;
  for (const auto &fault : stackFaults)
    text += Format("%s%s left the stack pointer %+d bytes off", text.empty() ? "" : "; ",
                   fault.first.c_str(), static_cast<int>(fault.second));
  return text;
}

void ReportStackFaults() {
  if (!stackFaults.empty())
    Fail("calling convention: " + StackFaults() +
         " (each export must remove its own arguments, 4 bytes each)");
}
