#include "workbench/emulator/loader.h"

#include <sys/mman.h>

#include <algorithm>

#include "common/byte_reader.h"

namespace {

const uint32_t kPage = 0x1000;

uint32_t RoundUp(uint32_t value, uint32_t step) {
  return (value + step - 1) / step * step;
}

bool Overlaps(uint64_t begin, uint64_t end, uint64_t otherBegin, uint64_t otherEnd) {
  return begin < otherEnd && otherBegin < end;
}

bool RangeIsFree(const Machine &m, uint64_t base, uint64_t size) {
  if (base < kNullPageSize || base + size > 0xFFFF0000ull)
    return false;
  for (const GuestRegion &region : kGuestRegions)
    if (Overlaps(base, base + size, region.base, uint64_t{region.base} + region.size))
      return false;
  for (const LoadedModule &module : m.modules)
    if (Overlaps(base, base + size, module.base, module.base + module.pe.sizeOfImage))
      return false;
  return true;
}

// Applies the image's HIGHLOW base relocations for a move by delta. The table comes from the file,
// so every block and fixup is checked against the image before it is used.
bool Relocate(const PeImage &pe, std::vector<uint8_t> &image, uint32_t delta, std::string *error) {
  const ImageDataDirectory &table = pe.baseRelocations;
  if (table.virtualAddress == 0 || table.size == 0) {
    *error = "its preferred base is taken and it has no base relocations";
    return false;
  }
  uint64_t end = uint64_t{table.virtualAddress} + table.size;
  ImageBaseRelocation block;
  for (uint64_t at = table.virtualAddress; at + sizeof block <= end && ReadAt(image, at, &block);
       at += block.sizeOfBlock) {
    if (block.sizeOfBlock < sizeof block || at + block.sizeOfBlock > end) {
      *error = "its base relocation table is damaged";
      return false;
    }
    for (uint64_t e = at + sizeof block; e + 2 <= at + block.sizeOfBlock; e += 2) {
      uint16_t fixup = 0;
      ReadAt(image, e, &fixup);
      uint32_t kind = fixup >> 12, target = block.virtualAddress + (fixup & 0xFFF), value = 0;
      if (kind == kRelocationAbsolute)
        continue;
      if (kind != kRelocationHighLow || !ReadAt(image, target, &value)) {
        *error = "it has a base relocation of unsupported type " + std::to_string(kind);
        return false;
      }
      WriteAt(image, target, value + delta);
    }
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
    if (s.characteristics & kSectionRead)
      perms |= UC_PROT_READ;
    if (s.characteristics & kSectionWrite)
      perms |= UC_PROT_WRITE | UC_PROT_READ;
    if (s.characteristics & kSectionExecute)
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
  return LoadModuleBytes(m, path, std::move(bytes), error);
}

int LoadModuleBytes(Machine &m, const std::string &path, std::vector<uint8_t> bytes,
                    std::string *error) {
  LoadedModule module;
  module.name = BaseName(path);
  if (!ParsePeImage(std::move(bytes), &module.pe, error)) {
    *error = path + " is not a 32-bit PE DLL: " + *error;
    return -1;
  }
  const PeImage &pe = module.pe;
  std::string missing;
  std::vector<uint32_t> bound;
  for (const PeImport &import : pe.imports) {
    bound.push_back(m.imports && !import.name.empty() ? m.imports->resolve(import.dll, import.name)
                                                      : 0);
    if (!bound.back())
      missing += (missing.empty() ? "" : ", ") + import.dll + "!" +
                 (import.name.empty() ? "#" + std::to_string(import.ordinal) : import.name);
  }
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
  // Build the image in host memory, relocate and bind it, then map it with its protections. Only
  // the headers and the sections hold bytes: the rest of the image's range is mapped as zeros and
  // never written, so a header that claims a huge image costs no more than the file.
  uint32_t used = pe.sizeOfHeaders;
  for (const PeSection &s : pe.sections)
    used = std::max(used, s.virtualAddress + std::max(s.virtualSize, s.rawSize));
  std::vector<uint8_t> image(RoundUp(used, kPage), 0);
  std::copy_n(pe.file.begin(), std::min<size_t>(pe.sizeOfHeaders, pe.file.size()), image.begin());
  for (const PeSection &s : pe.sections) {
    uint32_t raw = s.virtualSize ? std::min(s.rawSize, s.virtualSize) : s.rawSize;
    std::copy_n(pe.file.begin() + s.rawOffset, raw, image.begin() + s.virtualAddress);
  }
  if (module.base != pe.imageBase && !Relocate(pe, image, module.base - pe.imageBase, error)) {
    *error = path + " cannot be loaded: " + *error;
    return -1;
  }
  for (size_t i = 0; i < pe.imports.size(); ++i) {
    if (!WriteAt(image, pe.imports[i].slotRva, bound[i])) {
      *error = path + ": import slot outside the image";
      return -1;
    }
  }
  // The image lives in host memory of its own, mapped into the guest a run of pages with the same
  // protection at a time, each with it. Pages past the headers and sections stay zero as mapped,
  // untouched. Runs the guest cannot execute hold no translated code, so the host reads and
  // writes those in place.
  void *memory = image.size() <= size ? mmap(nullptr, size, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                                      : MAP_FAILED;
  if (memory == MAP_FAILED) {
    *error = path + ": cannot map the image";
    return -1;
  }
  module.memory = static_cast<uint8_t *>(memory);
  module.memorySize = size;
  std::copy(image.begin(), image.end(), module.memory);
  uint32_t mapped = 0;
  while (mapped < size) {
    uint32_t perms = PagePermissions(pe, mapped), end = mapped + kPage;
    while (end < size && PagePermissions(pe, end) == perms)
      end += kPage;
    if (uc_mem_map_ptr(m.uc, module.base + mapped, end - mapped, perms, module.memory + mapped) !=
        UC_ERR_OK)
      break;
    if (!(perms & UC_PROT_EXEC))
      module.dataRuns.push_back({mapped, end - mapped});
    mapped = end;
  }
  if (mapped < size) {
    if (mapped)
      uc_mem_unmap(m.uc, module.base, mapped);
    munmap(memory, size);
    *error = path + ": cannot map the image";
    return -1;
  }
  m.modules.push_back(std::move(module));
  return static_cast<int>(m.modules.size() - 1);
}

uint32_t ExportAddress(const Machine &m, int module, const std::string &name) {
  const LoadedModule &loaded = m.modules[static_cast<size_t>(module)];
  const PeExport *e = FindExport(loaded.pe, name);
  return e ? loaded.base + e->rva : 0;
}
