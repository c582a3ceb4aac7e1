#include "workbench/loader.h"

#include <algorithm>

#include "workbench/standins.h"

namespace {

const uint32_t kPage = 0x1000;
const uint32_t kScnExecute = 0x20000000;
const uint32_t kScnRead = 0x40000000;
const uint32_t kScnWrite = 0x80000000;

uint32_t RoundUp(uint32_t value, uint32_t step) {
  return (value + step - 1) / step * step;
}

bool Overlaps(uint64_t begin, uint64_t end, uint64_t otherBegin, uint64_t otherEnd) {
  return begin < otherEnd && otherBegin < end;
}

bool RangeIsFree(const Machine &m, uint64_t base, uint64_t size) {
  if (base < 0x10000 || base + size > 0xFFFF0000ull)
    return false;
  const uint64_t fixed[][2] = {{kThunkBase, kThunkSize},
                               {kStackBase, kStackSize},
                               {kScratchBase, kScratchSize},
                               {kHeapBase, kHeapSize}};
  for (const auto &region : fixed)
    if (Overlaps(base, base + size, region[0], region[0] + region[1]))
      return false;
  for (const LoadedModule &module : m.modules)
    if (Overlaps(base, base + size, module.base, module.base + module.pe.sizeOfImage))
      return false;
  return true;
}

// Applies the image's HIGHLOW base relocations for a move by delta.
bool Relocate(const PeImage &pe, std::vector<uint8_t> &image, uint32_t delta, std::string *error) {
  if (pe.relocationRva == 0 || pe.relocationSize == 0) {
    *error = "its preferred base is taken and it has no base relocations";
    return false;
  }
  uint64_t end = uint64_t{pe.relocationRva} + pe.relocationSize;
  for (uint64_t block = pe.relocationRva; block + 8 <= end;) {
    if (block + 8 > image.size())
      break;
    uint32_t pageRva, blockSize;
    std::copy_n(&image[block], 4, reinterpret_cast<uint8_t *>(&pageRva));
    std::copy_n(&image[block + 4], 4, reinterpret_cast<uint8_t *>(&blockSize));
    if (blockSize < 8 || block + blockSize > end) {
      *error = "its base relocation table is damaged";
      return false;
    }
    for (uint64_t e = block + 8; e + 2 <= block + blockSize; e += 2) {
      uint16_t entry = static_cast<uint16_t>(image[e] | image[e + 1] << 8);
      uint32_t type = entry >> 12, target = pageRva + (entry & 0xFFF);
      if (type == 0)
        continue; // padding
      if (type != 3 || uint64_t{target} + 4 > image.size()) {
        *error = "it has a base relocation of unsupported type " + std::to_string(type);
        return false;
      }
      uint32_t value;
      std::copy_n(&image[target], 4, reinterpret_cast<uint8_t *>(&value));
      value += delta;
      std::copy_n(reinterpret_cast<uint8_t *>(&value), 4, &image[target]);
    }
    block += blockSize;
  }
  return true;
}

uint32_t PagePermissions(const PeImage &pe, uint32_t pageRva) {
  if (pageRva < RoundUp(pe.sizeOfHeaders, kPage) && pageRva < pe.sizeOfHeaders)
    return UC_PROT_READ;
  uint32_t perms = 0;
  for (const PeSection &s : pe.sections) {
    uint32_t size = RoundUp(std::max(s.virtualSize, s.rawSize), pe.sectionAlignment);
    if (!Overlaps(pageRva, uint64_t{pageRva} + kPage, s.virtualAddress,
                  uint64_t{s.virtualAddress} + size))
      continue;
    if (s.characteristics & kScnRead)
      perms |= UC_PROT_READ;
    if (s.characteristics & kScnWrite)
      perms |= UC_PROT_WRITE | UC_PROT_READ;
    if (s.characteristics & kScnExecute)
      perms |= UC_PROT_EXEC | UC_PROT_READ;
  }
  return perms ? perms : static_cast<uint32_t>(UC_PROT_READ);
}

std::string BaseName(const std::string &path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int LoadModule(Machine &m, const std::string &path, std::string *error) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, &bytes, error))
    return -1;
  LoadedModule module;
  module.name = BaseName(path);
  if (!ParsePeImage(std::move(bytes), &module.pe, error)) {
    *error = path + " is not a 32-bit PE DLL: " + *error;
    return -1;
  }
  const PeImage &pe = module.pe;
  std::string missing;
  for (const PeImport &import : pe.imports)
    if (import.name.empty() || !FindStandIn(import.dll, import.name))
      missing += (missing.empty() ? "" : ", ") + import.dll + "!" +
                 (import.name.empty() ? "#" + std::to_string(import.ordinal) : import.name);
  if (!missing.empty()) {
    *error = path + " imports functions the workbench does not provide: " + missing;
    return -1;
  }
  uint32_t size = RoundUp(pe.sizeOfImage, kPage);
  module.base = pe.imageBase;
  if (!RangeIsFree(m, module.base, size)) {
    module.base = 0;
    for (uint64_t base = 0x60000000; base + size < 0xF0000000ull; base += 0x10000)
      if (RangeIsFree(m, base, size)) {
        module.base = static_cast<uint32_t>(base);
        break;
      }
    if (!module.base) {
      *error = path + ": no free guest address range for the image";
      return -1;
    }
  }
  // Build the image in host memory, relocate and bind it, then map it with its protections.
  std::vector<uint8_t> image(size, 0);
  std::copy_n(pe.file.begin(), std::min<size_t>(pe.sizeOfHeaders, pe.file.size()), image.begin());
  for (const PeSection &s : pe.sections) {
    uint32_t raw = s.virtualSize ? std::min(s.rawSize, s.virtualSize) : s.rawSize;
    std::copy_n(pe.file.begin() + s.rawOffset, raw, image.begin() + s.virtualAddress);
  }
  if (module.base != pe.imageBase && !Relocate(pe, image, module.base - pe.imageBase, error)) {
    *error = path + " cannot be loaded: " + *error;
    return -1;
  }
  for (const PeImport &import : pe.imports) {
    size_t index = static_cast<size_t>(FindStandIn(import.dll, import.name) - kStandIns);
    uint32_t thunk = kThunkBase + static_cast<uint32_t>(index) * 16;
    if (uint64_t{import.slotRva} + 4 > image.size()) {
      *error = path + ": import slot outside the image";
      return -1;
    }
    std::copy_n(reinterpret_cast<uint8_t *>(&thunk), 4, &image[import.slotRva]);
  }
  if (uc_mem_map(m.uc, module.base, size, UC_PROT_ALL) != UC_ERR_OK ||
      !WriteGuest(m, module.base, image.data(), image.size())) {
    *error = path + ": cannot map the image";
    return -1;
  }
  // Runs of pages with the same protection become one region each.
  for (uint32_t start = 0; start < size;) {
    uint32_t perms = PagePermissions(pe, start), end = start + kPage;
    while (end < size && PagePermissions(pe, end) == perms)
      end += kPage;
    uc_mem_protect(m.uc, module.base + start, end - start, perms);
    start = end;
  }
  m.modules.push_back(std::move(module));
  return static_cast<int>(m.modules.size() - 1);
}

uint32_t ExportAddress(const Machine &m, int module, const std::string &name) {
  const LoadedModule &loaded = m.modules[static_cast<size_t>(module)];
  const PeExport *e = FindExport(loaded.pe, name);
  return e ? loaded.base + e->rva : 0;
}
