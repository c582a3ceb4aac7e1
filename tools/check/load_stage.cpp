// The load stage: the module loaded (its DllMain answered the process attach), its exports and
// their ordinals, its name, and the calling convention of each export.
#include "common/canvas.h"
#include "tools/check/module_exports.h"
#include "tools/check/stages.h"

namespace {

// The five exports, with the ordinals of their alphabetical order.
const char *const ExportNames[] = {"DllMain", "DrawSeiriken", "GetPlgInfo", "SetCorpAddList",
                                   "SetPlgComment"};

std::string FileName(const std::string &path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CheckExports(const StageContext &c, const ExportDirectory &directory) {
  std::string faults, seen;
  for (unsigned i = 0; i < 5; ++i) {
    const ModuleExport *found = nullptr;
    for (const ModuleExport &e : directory.exports)
      found = e.name == ExportNames[i] ? &e : found;
    if (!found)
      faults += Format("; %s is not exported", ExportNames[i]);
    else if (found->ordinal != i + 1)
      faults += Format("; %s has ordinal %u, not %u", ExportNames[i], found->ordinal, i + 1);
    if (found)
      seen += Format("%s%s @%u", seen.empty() ? "" : ", ", found->name.c_str(), found->ordinal);
  }
  Verdict(faults.empty(), "exports: " + (seen.empty() ? "none of the five" : seen) + faults);
  std::string file = FileName(c.plugin.path);
  if (directory.moduleName.empty())
    Fail("module name: the export directory names no module");
  else if (lstrcmpiA(directory.moduleName.c_str(), file.c_str()) != 0)
    Warn("module name: the export directory says " + directory.moduleName + ", the file is " +
         file);
  else
    Ok("module name: " + directory.moduleName);
  if (c.knownDesign) {
    const ModuleExport *dllMain = nullptr;
    for (const ModuleExport &e : directory.exports)
      dllMain = e.name == "DllMain" ? &e : dllMain;
    Verdict(dllMain && dllMain->address == directory.entryPoint,
            Format("entry point: DllMain itself (entry 0x%lx, DllMain 0x%lx)", directory.entryPoint,
                   dllMain ? dllMain->address : 0));
  }
}

// One call of each export, for the stack pointer around it.
void CheckCallingConvention(const StageContext &c) {
  const LoadedPlugin &p = c.plugin;
  if (p.dllMain)
    CallExport("DllMain", p.dllMain, {reinterpret_cast<uintptr_t>(p.module), DLL_THREAD_ATTACH, 0});
  PlgInfo record = {};
  if (p.getPlgInfo)
    CallExport("GetPlgInfo", p.getPlgInfo, {reinterpret_cast<uintptr_t>(&record)});
  HWND edit = CreateWindowExA(0, "EDIT", "", ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", CBS_DROPDOWNLIST, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
  if (p.setPlgComment)
    CallExport("SetPlgComment", p.setPlgComment, {reinterpret_cast<uintptr_t>(edit)});
  if (p.setCorpAddList)
    CallExport("SetCorpAddList", p.setCorpAddList, {reinterpret_cast<uintptr_t>(combo)});
  DestroyWindow(edit);
  DestroyWindow(combo);
  Canvas canvas;
  if (p.drawSeiriken && c.width && MakeCanvas(canvas, c.width, c.height, 0xFFFFFFFF)) {
    CallDraw(p, canvas.dc, 42);
    FreeCanvas(canvas);
  }
  if (!MeasuresStack())
    Info("calling convention: 64-bit Windows has one, kept by the compiler; nothing to measure");
  else
    Verdict(StackFaults().empty(),
            StackFaults().empty()
                ? "calling convention: the stack pointer is back where it was after each export"
                : "calling convention: " + StackFaults() +
                      " (each export must remove its own arguments, 4 bytes each)");
}

} // namespace

void CheckLoading(const StageContext &c) {
  Ok("DllMain: the module loaded, its process attach answered nonzero");
  CheckExports(c, ReadExportDirectory(c.plugin.module));
  CheckCallingConvention(c);
}
