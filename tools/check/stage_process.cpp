// The child side of a check: loads the plug-in, learns its size and design, runs one stage.
#include <windows.h>

#include <cstring>

#include "design/ticket_design.h"
#include "tools/check/module_exports.h"
#include "tools/check/stage_runner.h"
#include "tools/check/stages.h"

namespace {

// What the file's own header says, where the loader's reason would leave an operator guessing:
// a module for the other width of Windows.
std::string BitnessHint(const std::string &path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "";
  BYTE header[4096] = {};
  DWORD n = 0;
  ReadFile(file, header, sizeof header, &n, nullptr);
  CloseHandle(file);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(header);
  if (n < sizeof *dos || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
      static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > n)
    return "";
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(header + dos->e_lfanew);
  bool checker64 = sizeof(void *) == 8;
  if (nt->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64 && !checker64)
    return "; it is a 64-bit module: check it with the 64-bit tkt-check";
  if (nt->FileHeader.Machine == IMAGE_FILE_MACHINE_I386 && checker64)
    return "; it is a 32-bit module, as hosts load: check it with the 32-bit tkt-check";
  return "";
}

bool IsKnownDesign(const StageContext &c) {
  if (!c.plugin.getPlgInfo)
    return false;
  PlgInfo record = {};
  CallExport("GetPlgInfo", c.plugin.getPlgInfo, {reinterpret_cast<uintptr_t>(&record)});
  return record.InfoCode == design::InfoCode && record.Width == design::FaceWidth &&
         record.Height == design::FaceHeight &&
         lstrcmpiA(ReadExportDirectory(c.plugin.module).moduleName.c_str(), "TKT_A1.QPL") == 0;
}

} // namespace

int RunStageProcess(const Options &options) {
  CatchPluginExceptions(options.stage.c_str());
  StageContext context = {&options, {}, 0, 0, false};
  std::string reason;
  if (!LoadPlugin(options.plugin, context.plugin, &reason)) {
    Fail("load: " + options.plugin + " cannot be loaded as a plug-in: " + reason +
         BitnessHint(options.plugin));
    return StageCannotLoad;
  }
  if (context.plugin.getPlgInfo) {
    PlgInfo record = {};
    CallExport("GetPlgInfo", context.plugin.getPlgInfo, {reinterpret_cast<uintptr_t>(&record)});
    // A size no host would draw is not drawn either; the set-up stage reports it.
    if (record.Width > 0 && record.Width <= 4096 && record.Height > 0 && record.Height <= 4096)
      context.width = record.Width, context.height = record.Height;
  }
  context.knownDesign = IsKnownDesign(context);

  const std::string &stage = options.stage;
  if (stage == "load")
    CheckLoading(context);
  else if (stage == "setup")
    CheckSetUp(context);
  else if (stage == "draw")
    CheckDrawing(context);
  else if (stage == "design")
    CheckDesignTickets(context);
  else if (stage == "soak")
    CheckSoak(context);
  else if (stage == "print")
    CheckPrinting(context);
  else
    Fail("no stage called " + stage);
  if (stage != "load")
    ReportStackFaults();
  return StageDone;
}
