#include "workbench/host/leak_check.h"

#include "workbench/emulator/cp932.h"

std::string LeftBehind(Plugin &p, size_t blocksBefore) {
  std::string found;
  if (LiveHeapBlockCount(p.m) != blocksBefore)
    found += std::to_string(static_cast<long>(LiveHeapBlockCount(p.m)) -
                            static_cast<long>(blocksBefore)) +
             " heap blocks left; ";
  if (!Gdi(p.m).bitmaps.empty())
    found += std::to_string(Gdi(p.m).bitmaps.size()) + " bitmaps left; ";
  if (!Gdi(p.m).imageLists.empty())
    found += std::to_string(Gdi(p.m).imageLists.size()) + " image lists left; ";
  if (HeldCriticalSections(p.m))
    found += "a critical section is still entered; ";
  for (const std::string &problem : p.m.problems)
    found += problem + "; ";
  for (const std::string &damage : CheckHeapGuards(p.m))
    found += damage + "; ";
  if (!DebugOutput(p.m).empty())
    found += "debug output " + QuoteText(DebugOutput(p.m).back()) + "; ";
  return found;
}
