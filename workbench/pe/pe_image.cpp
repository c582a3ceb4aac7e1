// PE parsing with every offset bounds-checked: a truncated or hostile file gives a message,
// never a read outside the buffer.
#include "workbench/pe/pe_image.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/byte_reader.h"

namespace {

// More than any real module imports; keeps a hostile import directory from filling memory.
const size_t kMostImports = 65536;

// A zero-terminated name at an RVA, bounded by the file; false when it does not fit.
bool NameAt(const PeImage &image, uint32_t rva, std::string *name) {
  int64_t offset = RvaToFileOffset(image, rva);
  if (offset < 0)
    return false;
  const std::vector<uint8_t> &b = image.file;
  size_t begin = static_cast<size_t>(offset), end = begin;
  while (end < b.size() && b[end] != 0 && end - begin < 512)
    ++end;
  if (end >= b.size() || b[end] != 0)
    return false;
  name->assign(reinterpret_cast<const char *>(&b[begin]), end - begin);
  return true;
}

// The file offset of a table of count entries of entrySize bytes at an RVA, or -1 when it does
// not lie wholly inside the file.
int64_t TableAt(const PeImage &image, uint32_t rva, uint32_t count, uint32_t entrySize) {
  int64_t offset = RvaToFileOffset(image, rva);
  if (offset < 0 || !Fits(image.file, static_cast<uint64_t>(offset), uint64_t{count} * entrySize))
    return -1;
  return offset;
}

bool ParseExports(PeImage *image, uint32_t rva, std::string *error) {
  const std::vector<uint8_t> &b = image->file;
  ImageExportDirectory dir;
  int64_t at = RvaToFileOffset(*image, rva);
  if (at < 0 || !ReadAt(b, static_cast<uint64_t>(at), &dir)) {
    *error = "export directory lies outside the file";
    return false;
  }
  if (!NameAt(*image, dir.name, &image->exportName))
    image->exportName.clear();
  int64_t functions = TableAt(*image, dir.addressOfFunctions, dir.numberOfFunctions, 4);
  int64_t names = TableAt(*image, dir.addressOfNames, dir.numberOfNames, 4);
  int64_t ordinals = TableAt(*image, dir.addressOfNameOrdinals, dir.numberOfNames, 2);
  if (dir.numberOfFunctions > 65536 || dir.numberOfNames > dir.numberOfFunctions ||
      (dir.numberOfFunctions && functions < 0) ||
      (dir.numberOfNames && (names < 0 || ordinals < 0))) {
    *error = "export tables lie outside the file";
    return false;
  }
  std::vector<std::string> nameOf(dir.numberOfFunctions);
  for (uint32_t i = 0; i < dir.numberOfNames; ++i) {
    uint16_t index = 0;
    uint32_t nameRva = 0;
    std::string name;
    if (!ReadAt(b, static_cast<uint64_t>(ordinals) + i * 2u, &index) ||
        !ReadAt(b, static_cast<uint64_t>(names) + i * 4u, &nameRva) ||
        index >= dir.numberOfFunctions || !NameAt(*image, nameRva, &name)) {
      *error = "export name table is damaged";
      return false;
    }
    nameOf[index] = name;
  }
  for (uint32_t i = 0; i < dir.numberOfFunctions; ++i) {
    uint32_t target = 0;
    ReadAt(b, static_cast<uint64_t>(functions) + i * 4u, &target);
    if (target != 0)
      image->exports.push_back({nameOf[i], dir.base + i, target});
  }
  return true;
}

// The functions of one imported DLL, from its lookup table (or, lacking one, from the import
// address table itself, which holds the same entries until the loader fills it).
bool ParseImportedFunctions(PeImage *image, const ImageImportDescriptor &dll,
                            const std::string &dllName, std::string *error) {
  uint32_t table = dll.originalFirstThunk ? dll.originalFirstThunk : dll.firstThunk;
  for (uint32_t i = 0;; ++i) {
    int64_t at = RvaToFileOffset(*image, table + i * 4);
    uint32_t entry = 0;
    if (at < 0 || !ReadAt(image->file, static_cast<uint64_t>(at), &entry)) {
      *error = "import table of " + dllName + " lies outside the file";
      return false;
    }
    if (entry == 0)
      return true;
    if (image->imports.size() >= kMostImports) {
      *error = "more than " + std::to_string(kMostImports) + " imports";
      return false;
    }
    PeImport import{dllName, "", 0, dll.firstThunk + i * 4};
    if (entry & kImportByOrdinal) {
      import.ordinal = entry & 0xFFFF;
    } else if (!NameAt(*image, entry + kImportHintSize, &import.name)) {
      *error = "import name of " + dllName + " lies outside the file";
      return false;
    }
    image->imports.push_back(import);
  }
}

bool ParseImports(PeImage *image, uint32_t rva, std::string *error) {
  for (uint32_t next = rva;; next += sizeof(ImageImportDescriptor)) {
    ImageImportDescriptor dll;
    int64_t at = RvaToFileOffset(*image, next);
    if (at < 0 || !ReadAt(image->file, static_cast<uint64_t>(at), &dll)) {
      *error = "import directory lies outside the file";
      return false;
    }
    if (dll.originalFirstThunk == 0 && dll.name == 0 && dll.firstThunk == 0)
      return true;
    std::string dllName;
    if (!NameAt(*image, dll.name, &dllName)) {
      *error = "import directory names a DLL outside the file";
      return false;
    }
    if (!ParseImportedFunctions(image, dll, dllName, error))
      return false;
  }
}

// The headers' fields the workbench uses; false with a message when they are not those of a
// 32-bit x86 DLL. *table is the file offset of the section table.
bool ParseHeaders(PeImage *image, ImageDataDirectory directory[kDirectoryCount], uint64_t *table,
                  uint16_t *sectionCount, std::string *error) {
  const std::vector<uint8_t> &b = image->file;
  ImageDosHeader dos;
  if (!ReadAt(b, 0, &dos) || dos.magic != kDosSignature) {
    *error = "not a Windows executable (no MZ header)";
    return false;
  }
  ImageNtHeaders32 nt;
  uint32_t signature = 0;
  if (!ReadAt(b, dos.ntHeadersOffset, &signature) || signature != kNtSignature) {
    *error = "not a PE file (no PE signature)";
    return false;
  }
  // Only the fixed part of the optional header has to be there in full; the directories are
  // read below as far as sizeOfOptionalHeader reaches.
  if (!ReadAt(b, dos.ntHeadersOffset, &nt) || nt.fileHeader.machine != kMachineI386 ||
      nt.optionalHeader.magic != kOptionalMagicPe32) {
    *error = "not a 32-bit x86 PE file";
    return false;
  }
  if (!(nt.fileHeader.characteristics & kFileDll)) {
    *error = "a 32-bit PE file, but not a DLL";
    return false;
  }
  const ImageOptionalHeader32 &opt = nt.optionalHeader;
  uint64_t optAt = uint64_t{dos.ntHeadersOffset} + kOptionalHeaderOffset;
  uint16_t optionalSize = nt.fileHeader.sizeOfOptionalHeader;
  if (optionalSize < sizeof opt || !Fits(b, optAt, optionalSize)) {
    *error = "PE optional header is truncated";
    return false;
  }
  image->entryRva = opt.addressOfEntryPoint;
  image->imageBase = opt.imageBase;
  image->sectionAlignment = opt.sectionAlignment;
  image->sizeOfImage = opt.sizeOfImage;
  image->sizeOfHeaders = opt.sizeOfHeaders;
  uint32_t room = (optionalSize - sizeof opt) / sizeof(ImageDataDirectory);
  for (uint32_t i = 0; i < opt.numberOfRvaAndSizes && i < room && i < kDirectoryCount; ++i)
    ReadAt(b, optAt + sizeof opt + i * sizeof(ImageDataDirectory), &directory[i]);
  if (image->sizeOfImage == 0 || image->sizeOfImage > 0x10000000 ||
      image->sizeOfHeaders > image->sizeOfImage || (image->imageBase & 0xFFFF) != 0) {
    *error = "PE header gives an impossible image size or base";
    return false;
  }
  // The loader rounds section sizes up to it: a power of two, as Windows requires.
  uint32_t alignment = image->sectionAlignment;
  if (alignment == 0 || (alignment & (alignment - 1)) != 0) {
    *error = "PE header gives a section alignment that is no power of two";
    return false;
  }
  *table = optAt + optionalSize;
  *sectionCount = nt.fileHeader.numberOfSections;
  return true;
}

bool ParseSections(PeImage *image, uint64_t table, uint16_t count, std::string *error) {
  for (uint16_t i = 0; i < count; ++i) {
    ImageSectionHeader header;
    if (!ReadAt(image->file, table + i * sizeof header, &header)) {
      *error = "section table is truncated";
      return false;
    }
    PeSection section;
    section.name.assign(header.name, strnlen(header.name, sizeof header.name));
    section.virtualSize = header.virtualSize;
    section.virtualAddress = header.virtualAddress;
    section.rawSize = header.sizeOfRawData;
    section.rawOffset = header.pointerToRawData;
    section.characteristics = header.characteristics;
    uint32_t span = std::max(section.virtualSize, section.rawSize);
    if (!Fits(image->file, section.rawOffset, section.rawSize) ||
        uint64_t{section.virtualAddress} + span > image->sizeOfImage) {
      *error = "section " + section.name + " lies outside the file or the image";
      return false;
    }
    image->sections.push_back(section);
  }
  return true;
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
  ImageDataDirectory directory[kDirectoryCount] = {};
  uint64_t table = 0;
  uint16_t sectionCount = 0;
  if (!ParseHeaders(image, directory, &table, &sectionCount, error) ||
      !ParseSections(image, table, sectionCount, error))
    return false;
  image->resources = directory[kDirectoryResource];
  image->baseRelocations = directory[kDirectoryBaseRelocation];
  const ImageDataDirectory &exports = directory[kDirectoryExport];
  const ImageDataDirectory &imports = directory[kDirectoryImport];
  return (!exports.virtualAddress || ParseExports(image, exports.virtualAddress, error)) &&
         (!imports.virtualAddress || ParseImports(image, imports.virtualAddress, error));
}
