// The layouts of a 32-bit PE file as they lie in the file, one record per layout: the offset of
// each field in its comment, the size and the offsets of the fields read asserted. Read them with
// ReadAt (byte_reader.h), which checks that the whole record lies inside the file.
#pragma once

#include <cstddef>
#include <cstdint>

// At file offset 0.
struct ImageDosHeader {
  uint16_t magic;             // 0x00 kDosSignature
  uint8_t realModeHeader[58]; // 0x02 the MS-DOS stub's own header, unused
  uint32_t ntHeadersOffset;   // 0x3C file offset of ImageNtHeaders (e_lfanew)
};
static_assert(sizeof(ImageDosHeader) == 64, "IMAGE_DOS_HEADER");
static_assert(offsetof(ImageDosHeader, ntHeadersOffset) == 0x3C, "e_lfanew");
const uint16_t kDosSignature = 0x5A4D; // "MZ"

struct ImageFileHeader {
  uint16_t machine;              // 0x00 kMachineI386
  uint16_t numberOfSections;     // 0x02
  uint32_t timeDateStamp;        // 0x04
  uint32_t pointerToSymbolTable; // 0x08
  uint32_t numberOfSymbols;      // 0x0C
  uint16_t sizeOfOptionalHeader; // 0x10 the section table follows the optional header
  uint16_t characteristics;      // 0x12 kFileDll, ...
};
static_assert(sizeof(ImageFileHeader) == 20, "IMAGE_FILE_HEADER");
static_assert(offsetof(ImageFileHeader, numberOfSections) == 0x02 &&
                  offsetof(ImageFileHeader, sizeOfOptionalHeader) == 0x10 &&
                  offsetof(ImageFileHeader, characteristics) == 0x12,
              "IMAGE_FILE_HEADER fields");
const uint16_t kMachineI386 = 0x014C;
const uint16_t kFileDll = 0x2000;

// The fixed part of the 32-bit optional header; numberOfRvaAndSizes ImageDataDirectory records
// follow it, as many as sizeOfOptionalHeader leaves room for.
struct ImageOptionalHeader32 {
  uint16_t magic;                       // 0x00 kOptionalMagicPe32
  uint8_t majorLinkerVersion;           // 0x02
  uint8_t minorLinkerVersion;           // 0x03
  uint32_t sizeOfCode;                  // 0x04
  uint32_t sizeOfInitializedData;       // 0x08
  uint32_t sizeOfUninitializedData;     // 0x0C
  uint32_t addressOfEntryPoint;         // 0x10 RVA
  uint32_t baseOfCode;                  // 0x14
  uint32_t baseOfData;                  // 0x18
  uint32_t imageBase;                   // 0x1C preferred load address
  uint32_t sectionAlignment;            // 0x20
  uint32_t fileAlignment;               // 0x24
  uint16_t majorOperatingSystemVersion; // 0x28
  uint16_t minorOperatingSystemVersion; // 0x2A
  uint16_t majorImageVersion;           // 0x2C
  uint16_t minorImageVersion;           // 0x2E
  uint16_t majorSubsystemVersion;       // 0x30
  uint16_t minorSubsystemVersion;       // 0x32
  uint32_t win32VersionValue;           // 0x34
  uint32_t sizeOfImage;                 // 0x38
  uint32_t sizeOfHeaders;               // 0x3C
  uint32_t checkSum;                    // 0x40
  uint16_t subsystem;                   // 0x44
  uint16_t dllCharacteristics;          // 0x46
  uint32_t sizeOfStackReserve;          // 0x48
  uint32_t sizeOfStackCommit;           // 0x4C
  uint32_t sizeOfHeapReserve;           // 0x50
  uint32_t sizeOfHeapCommit;            // 0x54
  uint32_t loaderFlags;                 // 0x58
  uint32_t numberOfRvaAndSizes;         // 0x5C
};
static_assert(sizeof(ImageOptionalHeader32) == 96, "IMAGE_OPTIONAL_HEADER32 without directories");
static_assert(offsetof(ImageOptionalHeader32, addressOfEntryPoint) == 0x10 &&
                  offsetof(ImageOptionalHeader32, imageBase) == 0x1C &&
                  offsetof(ImageOptionalHeader32, sectionAlignment) == 0x20 &&
                  offsetof(ImageOptionalHeader32, sizeOfImage) == 0x38 &&
                  offsetof(ImageOptionalHeader32, sizeOfHeaders) == 0x3C &&
                  offsetof(ImageOptionalHeader32, numberOfRvaAndSizes) == 0x5C,
              "IMAGE_OPTIONAL_HEADER32 fields");
const uint16_t kOptionalMagicPe32 = 0x010B;

struct ImageDataDirectory {
  uint32_t virtualAddress; // 0x00 RVA, 0 when absent
  uint32_t size;           // 0x04
};
static_assert(sizeof(ImageDataDirectory) == 8, "IMAGE_DATA_DIRECTORY");
static_assert(offsetof(ImageDataDirectory, size) == 0x04, "IMAGE_DATA_DIRECTORY size");
const uint32_t kDirectoryExport = 0;
const uint32_t kDirectoryImport = 1;
const uint32_t kDirectoryResource = 2;
const uint32_t kDirectoryBaseRelocation = 5;
const uint32_t kDirectoryCount = 16;

const uint32_t kOptionalHeaderOffset = 0x18;

// At the file offset ImageDosHeader::ntHeadersOffset.
struct ImageNtHeaders32 {
  uint32_t signature;                   // 0x00 kNtSignature
  ImageFileHeader fileHeader;           // 0x04
  ImageOptionalHeader32 optionalHeader; // 0x18
};
static_assert(sizeof(ImageNtHeaders32) == 120, "IMAGE_NT_HEADERS32 up to the directories");
static_assert(offsetof(ImageNtHeaders32, fileHeader) == 0x04 &&
                  offsetof(ImageNtHeaders32, optionalHeader) == kOptionalHeaderOffset,
              "IMAGE_NT_HEADERS32 fields");
const uint32_t kNtSignature = 0x00004550; // "PE\0\0"

struct ImageSectionHeader {
  char name[8];                  // 0x00 zero-padded, not always terminated
  uint32_t virtualSize;          // 0x08
  uint32_t virtualAddress;       // 0x0C RVA
  uint32_t sizeOfRawData;        // 0x10
  uint32_t pointerToRawData;     // 0x14 file offset
  uint32_t pointerToRelocations; // 0x18
  uint32_t pointerToLinenumbers; // 0x1C
  uint16_t numberOfRelocations;  // 0x20
  uint16_t numberOfLinenumbers;  // 0x22
  uint32_t characteristics;      // 0x24 kSectionExecute, ...
};
static_assert(sizeof(ImageSectionHeader) == 40, "IMAGE_SECTION_HEADER");
static_assert(offsetof(ImageSectionHeader, virtualSize) == 0x08 &&
                  offsetof(ImageSectionHeader, virtualAddress) == 0x0C &&
                  offsetof(ImageSectionHeader, sizeOfRawData) == 0x10 &&
                  offsetof(ImageSectionHeader, pointerToRawData) == 0x14 &&
                  offsetof(ImageSectionHeader, characteristics) == 0x24,
              "IMAGE_SECTION_HEADER fields");
const uint32_t kSectionExecute = 0x20000000;
const uint32_t kSectionRead = 0x40000000;
const uint32_t kSectionWrite = 0x80000000;

struct ImageExportDirectory {
  uint32_t characteristics;       // 0x00
  uint32_t timeDateStamp;         // 0x04
  uint16_t majorVersion;          // 0x08
  uint16_t minorVersion;          // 0x0A
  uint32_t name;                  // 0x0C RVA of the module's name
  uint32_t base;                  // 0x10 ordinal of the first function
  uint32_t numberOfFunctions;     // 0x14
  uint32_t numberOfNames;         // 0x18
  uint32_t addressOfFunctions;    // 0x1C RVA of numberOfFunctions code RVAs (uint32_t)
  uint32_t addressOfNames;        // 0x20 RVA of numberOfNames name RVAs (uint32_t)
  uint32_t addressOfNameOrdinals; // 0x24 RVA of numberOfNames function indices (uint16_t)
};
static_assert(sizeof(ImageExportDirectory) == 40, "IMAGE_EXPORT_DIRECTORY");
static_assert(offsetof(ImageExportDirectory, name) == 0x0C &&
                  offsetof(ImageExportDirectory, base) == 0x10 &&
                  offsetof(ImageExportDirectory, numberOfFunctions) == 0x14 &&
                  offsetof(ImageExportDirectory, numberOfNames) == 0x18 &&
                  offsetof(ImageExportDirectory, addressOfFunctions) == 0x1C &&
                  offsetof(ImageExportDirectory, addressOfNames) == 0x20 &&
                  offsetof(ImageExportDirectory, addressOfNameOrdinals) == 0x24,
              "IMAGE_EXPORT_DIRECTORY fields");

// One per imported DLL; an all-zero record ends the list.
struct ImageImportDescriptor {
  uint32_t originalFirstThunk; // 0x00 RVA of the lookup table, 0 in some old linkers' output
  uint32_t timeDateStamp;      // 0x04
  uint32_t forwarderChain;     // 0x08
  uint32_t name;               // 0x0C RVA of the DLL's name
  uint32_t firstThunk;         // 0x10 RVA of the import address table the loader fills
};
static_assert(sizeof(ImageImportDescriptor) == 20, "IMAGE_IMPORT_DESCRIPTOR");
static_assert(offsetof(ImageImportDescriptor, name) == 0x0C &&
                  offsetof(ImageImportDescriptor, firstThunk) == 0x10,
              "IMAGE_IMPORT_DESCRIPTOR fields");
// A lookup-table entry (uint32_t, 0 ends the table) is an ordinal in its low 16 bits when this
// bit is set, else the RVA of a 16-bit hint followed by the function's name.
const uint32_t kImportByOrdinal = 0x80000000;
const uint32_t kImportHintSize = 2;

// A block of fixups for one 4 KiB page; sizeOfBlock counts this header and the uint16_t entries
// after it, each a kind (top 4 bits) and an offset into the page (low 12 bits).
struct ImageBaseRelocation {
  uint32_t virtualAddress; // 0x00 RVA of the page
  uint32_t sizeOfBlock;    // 0x04
};
static_assert(sizeof(ImageBaseRelocation) == 8, "IMAGE_BASE_RELOCATION");
static_assert(offsetof(ImageBaseRelocation, sizeOfBlock) == 0x04, "IMAGE_BASE_RELOCATION size");
const uint32_t kRelocationAbsolute = 0; // padding
const uint32_t kRelocationHighLow = 3;  // add the move to the 32-bit word there

// The resource tree: directories of type, id and language, each followed by its entries.
struct ImageResourceDirectory {
  uint32_t characteristics;      // 0x00
  uint32_t timeDateStamp;        // 0x04
  uint16_t majorVersion;         // 0x08
  uint16_t minorVersion;         // 0x0A
  uint16_t numberOfNamedEntries; // 0x0C entries named by a text come first
  uint16_t numberOfIdEntries;    // 0x0E then the entries with an integer id
};
static_assert(sizeof(ImageResourceDirectory) == 16, "IMAGE_RESOURCE_DIRECTORY");
static_assert(offsetof(ImageResourceDirectory, numberOfNamedEntries) == 0x0C &&
                  offsetof(ImageResourceDirectory, numberOfIdEntries) == 0x0E,
              "IMAGE_RESOURCE_DIRECTORY counts");

struct ImageResourceDirectoryEntry {
  uint32_t name;         // 0x00 an integer id, or kResourceFlag and the offset of a name
  uint32_t offsetToData; // 0x04 kResourceFlag and a subdirectory's offset, or a data entry's
};
static_assert(sizeof(ImageResourceDirectoryEntry) == 8, "IMAGE_RESOURCE_DIRECTORY_ENTRY");
static_assert(offsetof(ImageResourceDirectoryEntry, offsetToData) == 0x04,
              "IMAGE_RESOURCE_DIRECTORY_ENTRY offset");
// Offsets in the tree count from the start of the resource directory.
const uint32_t kResourceFlag = 0x80000000;

struct ImageResourceDataEntry {
  uint32_t offsetToData; // 0x00 RVA of the resource's bytes
  uint32_t size;         // 0x04
  uint32_t codePage;     // 0x08
  uint32_t reserved;     // 0x0C
};
static_assert(sizeof(ImageResourceDataEntry) == 16, "IMAGE_RESOURCE_DATA_ENTRY");
static_assert(offsetof(ImageResourceDataEntry, size) == 0x04, "IMAGE_RESOURCE_DATA_ENTRY size");
