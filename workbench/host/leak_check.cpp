#include "workbench/host/leak_check.h"

#include "workbench/emulator/cp932.h"

std::string LeftBehind(Plugin &p, size_t blocksBefore) {
  std::string found;
  if (LiveHeapBlockCount(p.m) != blocksBefore)
    found += std::to_string(static_cast<long>(LiveHeapBlockCount(p.m)) -
                            static_cast<long>(blocksBefore)) +
             " heap blocks left; ";
  if (!p.m.gdi.bitmaps.empty())
    found += std::to_string(p.m.gdi.bitmaps.size()) + " bitmaps left; ";
  if (!p.m.gdi.imageLists.empty())
    found += std::to_string(p.m.gdi.imageLists.size()) + " image lists left; ";
  if (HeldCriticalSections(p.m))
    found += "a critical section is still entered; ";
  for (const std::string &problem : p.m.problems)
    found += problem + "; ";
  for (const std::string &damage : CheckHeapGuards(p.m))
    found += damage + "; ";
  if (!p.m.debugOutput.empty())
    found += "debug output " + QuoteText(p.m.debugOutput.back()) + "; ";
  return found;
}
