// The child side of a check: loads the plug-in, learns its size and design, runs one stage.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "design/ticket_design.h"
#include "tools/check/module_exports.h"
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

volatile bool ranToEnd; // the checks' thread sent its closing record

// The stage's checks, on a thread of their own: a plug-in that ends the thread it is called on
// ends this one, and the stage's main thread, which waits for it, is left to say so.
struct StageRun {
  const Options *options;
  const Stage *stage;
};

DWORD WINAPI RunChecks(LPVOID parameter) {
  const Options &options = *static_cast<const StageRun *>(parameter)->options;
  const Stage *stage = static_cast<const StageRun *>(parameter)->stage;
  StageContext context = {&options, {}, 0, 0, false};
  std::string reason;
  if (!LoadPlugin(options.plugin, context.plugin, &reason)) {
    Fail("load: " + options.plugin + " cannot be loaded as a plug-in: " + reason +
         BitnessHint(options.plugin));
    SendRecord(END_CANNOT_LOAD);
    ranToEnd = true;
    return 0;
  }
  if (context.plugin.getPlgInfo) {
    PlgInfo record = {};
    CallExport("GetPlgInfo", context.plugin.getPlgInfo, {reinterpret_cast<uintptr_t>(&record)});
    // A size no host would draw is not drawn either; the set-up stage reports it.
    if (record.Width > 0 && record.Width <= 4096 && record.Height > 0 && record.Height <= 4096)
      context.width = record.Width, context.height = record.Height;
  }
  context.knownDesign = IsKnownDesign(context);
  stage->check(context);
  if (stage->check != CheckLoading) // which reports them itself
    ReportStackFaults();
  UnloadPlugin(context.plugin);
  SendRecord(END_DONE); // the last act: every check ran to its end
  ranToEnd = true;
  return 0;
}

} // namespace

void SendTally(const PartTally &tally) {
  SendRecord(Format(TALLY "%ld %ld %ld", tally.checked, tally.wrong, tally.nonzero));
}

int RunStageProcess(const Options &options) {
  StageRun run = {&options, nullptr};
  for (int i = 0; i < StageCount; ++i)
    run.stage = options.stage == Stages[i].name ? &Stages[i] : run.stage;
  if (!run.stage || !OpenChannel(options.channel)) {
    std::fprintf(stderr, "tkt-check: --stage runs in a process the checker starts itself\n");
    return 2;
  }
  CatchPluginExceptions(options.stage.c_str());
  HANDLE checks = CreateThread(nullptr, 0, RunChecks, &run, 0, nullptr);
  DWORD code = 0;
  if (!checks || WaitForSingleObject(checks, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeThread(checks, &code))
    code = GetLastError();
  if (checks)
    CloseHandle(checks);
  if (ranToEnd)
    return 0;
  SendRecord(END_THREAD + std::to_string(code));
  // Ended at once: the thread may have left the loader's lock or the plug-in's state held, and
  // a process detach would wait on it.
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}
