// Guest addresses in words, for fault messages and traces: the module, section and nearest export,
// an import slot, a stand-in's thunk, or the fixed region an address lies in.
#include "workbench/emulator/describe_address.h"

#include <cstdio>

#include "workbench/emulator/machine.h"

std::string DescribeAddress(const Machine &m, uint32_t address) {
  std::string where = Hex32(address);
  for (const LoadedModule &module : m.modules) {
    if (address < module.base || address - module.base >= module.pe.sizeOfImage)
      continue;
    uint32_t rva = address - module.base;
    const PeSection *section = SectionOfRva(module.pe, rva);
    where += " (" + module.name + " " + (section ? section->name : std::string("headers"));
    const PeExport *nearest = NearestExport(module.pe, rva);
    if (nearest && section && (section->characteristics & kSectionExecute) &&
        SectionOfRva(module.pe, nearest->rva) == section) {
      char offset[16];
      std::snprintf(offset, sizeof offset, "+0x%X", rva - nearest->rva);
      where += ", " +
               (nearest->name.empty() ? "#" + std::to_string(nearest->ordinal) : nearest->name) +
               offset;
    }
    for (const PeImport &import : module.pe.imports)
      if (rva >= import.slotRva && rva - import.slotRva < 4)
        where += ", import slot of " + import.dll + "!" + import.name;
    return where + ")";
  }
  const char *provided = m.imports ? m.imports->nameAt(address) : nullptr;
  if (provided)
    return where + " (stand-in " + provided + ")";
  for (const GuestRegion &region : kGuestRegions)
    if (address >= region.base && address - region.base < region.size)
      return where + " (" + region.name + ")";
  if (address < kNullPageSize)
    return where + " (null page)";
  return where;
}

std::string Hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}
