// A 32-bit PE DLL as read from its file: headers, sections, exports, imports, relocations and
// the resource directory. Parsing only; mapping it into the emulator is the loader's job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/pe/pe_layout.h"

struct PeSection {
  std::string name;
  uint32_t virtualAddress;
  uint32_t virtualSize;
  uint32_t rawOffset;
  uint32_t rawSize;
  uint32_t characteristics;
};

struct PeExport {
  std::string name; // empty for an export by ordinal only
  uint32_t ordinal;
  uint32_t rva;
};

struct PeImport {
  std::string dll;
  std::string name; // empty when imported by ordinal
  uint32_t ordinal; // meaningful when name is empty
  uint32_t slotRva; // the import-address-table entry the loader fills
};

struct PeImage {
  std::vector<uint8_t> file;
  uint32_t imageBase;
  uint32_t sizeOfImage;
  uint32_t sizeOfHeaders;
  uint32_t entryRva;
  uint32_t sectionAlignment;
  std::vector<PeSection> sections;
  std::string exportName; // the module name in the export directory
  std::vector<PeExport> exports;
  std::vector<PeImport> imports;
  ImageDataDirectory baseRelocations; // zero when the image has none
  ImageDataDirectory resources;
};

// Reads a whole file; false with a plain message ("no such file", ...) on failure.
bool ReadFileBytes(const std::string &path, std::vector<uint8_t> *bytes, std::string *error);

// Parses a 32-bit x86 PE DLL from bytes in memory. False with a plain message when the bytes are
// not one; any bytes at all, however damaged, give one or the other.
bool ParsePeImage(std::vector<uint8_t> bytes, PeImage *image, std::string *error);

// The file offset of an RVA, or -1 when no section (or the headers) holds it in the file.
int64_t RvaToFileOffset(const PeImage &image, uint32_t rva);

// The section holding an RVA, or null.
const PeSection *SectionOfRva(const PeImage &image, uint32_t rva);

// The export whose code starts at or below rva and nearest to it, or null.
const PeExport *NearestExport(const PeImage &image, uint32_t rva);

const PeExport *FindExport(const PeImage &image, const std::string &name);
