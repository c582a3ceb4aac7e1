// PE parsing with every offset bounds-checked: a truncated or hostile file gives a message,
// never a read outside the buffer.
#include "workbench/pe_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const uint16_t kMachineI386 = 0x014C;
const uint16_t kOptionalMagicPe32 = 0x010B;
const uint16_t kCharacteristicDll = 0x2000;
const uint32_t kDirectoryExport = 0;
const uint32_t kDirectoryImport = 1;
const uint32_t kDirectoryResource = 2;
const uint32_t kDirectoryRelocation = 5;

bool In(const std::vector<uint8_t> &b, uint64_t offset, uint64_t size) {
  return offset <= b.size() && size <= b.size() - offset;
}

uint16_t U16(const std::vector<uint8_t> &b, uint64_t o) {
  return static_cast<uint16_t>(b[o] | b[o + 1] << 8);
}

uint32_t U32(const std::vector<uint8_t> &b, uint64_t o) {
  return static_cast<uint32_t>(b[o] | b[o + 1] << 8 | b[o + 2] << 16) |
         static_cast<uint32_t>(b[o + 3]) << 24;
}

// A zero-terminated name at an RVA, bounded by the file; empty when it does not fit.
bool NameAt(const PeImage &image, uint32_t rva, std::string *name) {
  int64_t offset = RvaToFileOffset(image, rva);
  if (offset < 0)
    return false;
  const std::vector<uint8_t> &b = image.file;
  size_t end = static_cast<size_t>(offset);
  while (end < b.size() && b[end] != 0 && end - static_cast<size_t>(offset) < 512)
    ++end;
  if (end >= b.size() || b[end] != 0)
    return false;
  name->assign(reinterpret_cast<const char *>(&b[static_cast<size_t>(offset)]),
               end - static_cast<size_t>(offset));
  return true;
}

bool ParseExports(PeImage *image, uint32_t rva, std::string *error) {
  const std::vector<uint8_t> &b = image->file;
  int64_t dir = RvaToFileOffset(*image, rva);
  if (dir < 0 || !In(b, static_cast<uint64_t>(dir), 40)) {
    *error = "export directory lies outside the file";
    return false;
  }
  uint64_t d = static_cast<uint64_t>(dir);
  if (!NameAt(*image, U32(b, d + 12), &image->exportName))
    image->exportName.clear();
  uint32_t base = U32(b, d + 16);
  uint32_t functionCount = U32(b, d + 20);
  uint32_t nameCount = U32(b, d + 24);
  int64_t functions = RvaToFileOffset(*image, U32(b, d + 28));
  int64_t names = RvaToFileOffset(*image, U32(b, d + 32));
  int64_t ordinals = RvaToFileOffset(*image, U32(b, d + 36));
  if (functionCount > 65536 || nameCount > functionCount ||
      (functionCount &&
       (functions < 0 || !In(b, static_cast<uint64_t>(functions), uint64_t{functionCount} * 4))) ||
      (nameCount && (names < 0 || ordinals < 0 ||
                     !In(b, static_cast<uint64_t>(names), uint64_t{nameCount} * 4) ||
                     !In(b, static_cast<uint64_t>(ordinals), uint64_t{nameCount} * 2)))) {
    *error = "export tables lie outside the file";
    return false;
  }
  std::vector<std::string> nameOf(functionCount);
  for (uint32_t i = 0; i < nameCount; ++i) {
    uint16_t index = U16(b, static_cast<uint64_t>(ordinals) + i * 2);
    std::string name;
    if (index >= functionCount ||
        !NameAt(*image, U32(b, static_cast<uint64_t>(names) + i * 4), &name)) {
      *error = "export name table is damaged";
      return false;
    }
    nameOf[index] = name;
  }
  for (uint32_t i = 0; i < functionCount; ++i) {
    uint32_t target = U32(b, static_cast<uint64_t>(functions) + i * 4);
    if (target != 0)
      image->exports.push_back({nameOf[i], base + i, target});
  }
  return true;
}

bool ParseImports(PeImage *image, uint32_t rva, std::string *error) {
  const std::vector<uint8_t> &b = image->file;
  for (uint32_t entry = rva;; entry += 20) {
    int64_t d = RvaToFileOffset(*image, entry);
    if (d < 0 || !In(b, static_cast<uint64_t>(d), 20)) {
      *error = "import directory lies outside the file";
      return false;
    }
    uint64_t o = static_cast<uint64_t>(d);
    uint32_t lookup = U32(b, o), nameRva = U32(b, o + 12), slots = U32(b, o + 16);
    if (lookup == 0 && nameRva == 0 && slots == 0)
      return true;
    std::string dll;
    if (!NameAt(*image, nameRva, &dll)) {
      *error = "import directory names a DLL outside the file";
      return false;
    }
    uint32_t table = lookup ? lookup : slots;
    for (uint32_t i = 0;; ++i) {
      int64_t t = RvaToFileOffset(*image, table + i * 4);
      if (t < 0 || !In(b, static_cast<uint64_t>(t), 4) || i > 65536) {
        *error = "import table of " + dll + " lies outside the file";
        return false;
      }
      uint32_t value = U32(b, static_cast<uint64_t>(t));
      if (value == 0)
        break;
      PeImport import{dll, "", 0, slots + i * 4};
      if (value & 0x80000000u) {
        import.ordinal = value & 0xFFFF;
      } else if (!NameAt(*image, value + 2, &import.name)) {
        *error = "import name of " + dll + " lies outside the file";
        return false;
      }
      image->imports.push_back(import);
    }
  }
}

} // namespace

bool ReadFileBytes(const std::string &path, std::vector<uint8_t> *bytes, std::string *error) {
  FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  bytes->clear();
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    *error = path + ": read error";
    return false;
  }
  return true;
}

int64_t RvaToFileOffset(const PeImage &image, uint32_t rva) {
  if (rva < image.sizeOfHeaders)
    return rva < image.file.size() ? rva : -1;
  for (const PeSection &s : image.sections) {
    if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) {
      uint64_t offset = uint64_t{s.rawOffset} + (rva - s.virtualAddress);
      return offset < image.file.size() ? static_cast<int64_t>(offset) : -1;
    }
  }
  return -1;
}

const PeSection *SectionOfRva(const PeImage &image, uint32_t rva) {
  for (const PeSection &s : image.sections) {
    uint32_t size = s.virtualSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < size)
      return &s;
  }
  return nullptr;
}

const PeExport *NearestExport(const PeImage &image, uint32_t rva) {
  const PeExport *best = nullptr;
  for (const PeExport &e : image.exports)
    if (e.rva <= rva && (!best || e.rva > best->rva))
      best = &e;
  return best;
}

const PeExport *FindExport(const PeImage &image, const std::string &name) {
  for (const PeExport &e : image.exports)
    if (e.name == name)
      return &e;
  return nullptr;
}

bool ParsePeImage(std::vector<uint8_t> bytes, PeImage *image, std::string *error) {
  *image = PeImage{};
  image->file = std::move(bytes);
  const std::vector<uint8_t> &b = image->file;
  if (!In(b, 0, 64) || b[0] != 'M' || b[1] != 'Z') {
    *error = "not a Windows executable (no MZ header)";
    return false;
  }
  uint32_t pe = U32(b, 60);
  if (!In(b, pe, 24) || std::memcmp(&b[pe], "PE\0\0", 4) != 0) {
    *error = "not a PE file (no PE signature)";
    return false;
  }
  uint16_t machine = U16(b, pe + 4);
  uint16_t sectionCount = U16(b, pe + 6);
  uint16_t optionalSize = U16(b, pe + 20);
  uint16_t characteristics = U16(b, pe + 22);
  uint64_t opt = uint64_t{pe} + 24;
  if (machine != kMachineI386 || !In(b, opt, 2) || U16(b, opt) != kOptionalMagicPe32) {
    *error = "not a 32-bit x86 PE file";
    return false;
  }
  if (!(characteristics & kCharacteristicDll)) {
    *error = "a 32-bit PE file, but not a DLL";
    return false;
  }
  if (optionalSize < 96 || !In(b, opt, optionalSize)) {
    *error = "PE optional header is truncated";
    return false;
  }
  image->entryRva = U32(b, opt + 16);
  image->imageBase = U32(b, opt + 28);
  image->sectionAlignment = U32(b, opt + 32);
  image->sizeOfImage = U32(b, opt + 56);
  image->sizeOfHeaders = U32(b, opt + 60);
  uint32_t directoryCount = U32(b, opt + 92);
  uint32_t directory[16][2] = {};
  for (uint32_t i = 0; i < directoryCount && i < 16 && 96 + i * 8 + 8 <= optionalSize; ++i) {
    directory[i][0] = U32(b, opt + 96 + i * 8);
    directory[i][1] = U32(b, opt + 100 + i * 8);
  }
  if (image->sizeOfImage == 0 || image->sizeOfImage > 0x10000000 ||
      image->sizeOfHeaders > image->sizeOfImage || (image->imageBase & 0xFFFF) != 0) {
    *error = "PE header gives an impossible image size or base";
    return false;
  }
  uint64_t table = opt + optionalSize;
  if (!In(b, table, uint64_t{sectionCount} * 40)) {
    *error = "section table is truncated";
    return false;
  }
  for (uint16_t i = 0; i < sectionCount; ++i) {
    uint64_t s = table + i * 40u;
    PeSection section;
    const char *raw = reinterpret_cast<const char *>(&b[s]);
    section.name.assign(raw, strnlen(raw, 8));
    section.virtualSize = U32(b, s + 8);
    section.virtualAddress = U32(b, s + 12);
    section.rawSize = U32(b, s + 16);
    section.rawOffset = U32(b, s + 20);
    section.characteristics = U32(b, s + 36);
    uint32_t span = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
    if (!In(b, section.rawOffset, section.rawSize) ||
        uint64_t{section.virtualAddress} + span > image->sizeOfImage) {
      *error = "section " + section.name + " lies outside the file or the image";
      return false;
    }
    image->sections.push_back(section);
  }
  image->resourceRva = directory[kDirectoryResource][0];
  image->resourceSize = directory[kDirectoryResource][1];
  image->relocationRva = directory[kDirectoryRelocation][0];
  image->relocationSize = directory[kDirectoryRelocation][1];
  if (directory[kDirectoryExport][0] && !ParseExports(image, directory[kDirectoryExport][0], error))
    return false;
  if (directory[kDirectoryImport][0] && !ParseImports(image, directory[kDirectoryImport][0], error))
    return false;
  return true;
}
