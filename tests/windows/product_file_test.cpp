// Reads the product file TKT_A1.QPL as bytes, with the system's own image structures, and checks
// what the loader sees beyond what tkt-check proves of a loaded plug-in (its exports, ordinals
// and entry point): a 32-bit DLL importing only the system functions the plug-in uses from the
// four system DLLs, stamped with no build time, marked relocatable, with no executable data and
// no exception handlers, loadable from Windows 4.0 on, and carrying a valid image checksum. Its
// resources, read through the system's resource functions, are exactly the committed bitmaps.
//   product_file_test TKT_A1.QPL RESOURCES_FOLDER
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/windows/check.h"
#include "tests/windows/test_files.h"

namespace {

// Every system function the plug-in may call, by DLL.
const char *const Kernel32[] = {"InitializeCriticalSection",
                                "EnterCriticalSection",
                                "LeaveCriticalSection",
                                "GetProcessHeap",
                                "HeapAlloc",
                                "HeapReAlloc",
                                "HeapFree",
                                "OutputDebugStringA",
                                "CompareStringA",
                                "lstrlenA",
                                "RtlMoveMemory"};
const char *const User32[] = {"SetWindowTextA", "SendMessageA", "LoadBitmapA", "wsprintfA",
                              "CharUpperA"};
const char *const Gdi32[] = {"DeleteObject"};
const char *const Comctl32[] = {"ImageList_Create", "ImageList_Add", "ImageList_Draw",
                                "ImageList_Destroy"};

template <size_t N> bool Listed(const char *const (&names)[N], const char *name) {
  for (const char *listed : names)
    if (std::strcmp(listed, name) == 0)
      return true;
  return false;
}

bool Allowed(const std::string &dll, const char *function) {
  if (lstrcmpiA(dll.c_str(), "KERNEL32.dll") == 0)
    return Listed(Kernel32, function);
  if (lstrcmpiA(dll.c_str(), "USER32.dll") == 0)
    return Listed(User32, function);
  if (lstrcmpiA(dll.c_str(), "GDI32.dll") == 0)
    return Listed(Gdi32, function);
  if (lstrcmpiA(dll.c_str(), "COMCTL32.dll") == 0)
    return Listed(Comctl32, function);
  return false;
}

// The file and a way to read it by relative virtual address through the section table.
struct Image {
  std::string bytes;
  const IMAGE_NT_HEADERS32 *nt = nullptr;

  const void *At(DWORD rva, DWORD size = 1) const {
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
      DWORD extent = section->SizeOfRawData;
      if (rva >= section->VirtualAddress && rva - section->VirtualAddress + size <= extent) {
        DWORD offset = section->PointerToRawData + (rva - section->VirtualAddress);
        if (offset + size <= bytes.size())
          return bytes.data() + offset;
      }
    }
    return nullptr;
  }
  const char *String(DWORD rva) const { return static_cast<const char *>(At(rva)); }
};

bool Load(const char *path, Image &image) {
  image.bytes = ReadFileBytes(path);
  if (image.bytes.size() < sizeof(IMAGE_DOS_HEADER))
    return false;
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.bytes.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
      dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32) > image.bytes.size())
    return false;
  image.nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.bytes.data() + dos->e_lfanew);
  return image.nt->Signature == IMAGE_NT_SIGNATURE;
}

// The image checksum as the Windows loader computes it (CheckSumMappedFile): the 16-bit
// little-endian words with each carry folded back, the checksum field counted as zero, plus the
// file's length.
DWORD ImageChecksum(const Image &image) {
  std::string bytes = image.bytes;
  auto field = reinterpret_cast<const char *>(&image.nt->OptionalHeader.CheckSum);
  bytes.replace(static_cast<size_t>(field - image.bytes.data()), 4, 4, '\0');
  DWORD sum = 0;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    sum += static_cast<unsigned char>(bytes[i]);
    if (i + 1 < bytes.size())
      sum += static_cast<DWORD>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return sum + static_cast<DWORD>(bytes.size());
}

void CheckHeaders(const Image &image) {
  const IMAGE_OPTIONAL_HEADER32 &optional = image.nt->OptionalHeader;
  CHECK(image.nt->FileHeader.Machine == IMAGE_FILE_MACHINE_I386, "machine %04x",
        image.nt->FileHeader.Machine);
  CHECK(optional.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC, "magic %04x", optional.Magic);
  CHECK((image.nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0, "characteristics %04x",
        image.nt->FileHeader.Characteristics);
  CHECK(image.nt->FileHeader.TimeDateStamp == 0, "time stamp %08lx",
        image.nt->FileHeader.TimeDateStamp);
  CHECK(optional.DllCharacteristics ==
            (IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_NX_COMPAT |
             IMAGE_DLLCHARACTERISTICS_NO_SEH),
        "DLL characteristics %04x", optional.DllCharacteristics);
  CHECK(optional.MajorOperatingSystemVersion == 4 && optional.MinorOperatingSystemVersion == 0,
        "system version %u.%u", optional.MajorOperatingSystemVersion,
        optional.MinorOperatingSystemVersion);
  CHECK(optional.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI, "subsystem %u", optional.Subsystem);
  CHECK(optional.MajorSubsystemVersion == 4 && optional.MinorSubsystemVersion == 0,
        "subsystem version %u.%u", optional.MajorSubsystemVersion, optional.MinorSubsystemVersion);
  DWORD checksum = ImageChecksum(image);
  CHECK(optional.CheckSum == checksum, "checksum %08lx, computed %08lx", optional.CheckSum,
        checksum);
}

void CheckImports(const Image &image) {
  const IMAGE_DATA_DIRECTORY &entry =
      image.nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto descriptor = static_cast<const IMAGE_IMPORT_DESCRIPTOR *>(
      image.At(entry.VirtualAddress, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
  if (!CHECK(descriptor != nullptr, "no import directory at %08lx", entry.VirtualAddress))
    return;
  int functions = 0;
  for (; descriptor && descriptor->Name; ++descriptor) {
    std::string dll = image.String(descriptor->Name);
    auto thunk = static_cast<const IMAGE_THUNK_DATA32 *>(image.At(descriptor->OriginalFirstThunk));
    for (; thunk && thunk->u1.AddressOfData; ++thunk, ++functions) {
      bool byOrdinal = (thunk->u1.Ordinal & IMAGE_ORDINAL_FLAG32) != 0;
      const char *function = byOrdinal ? nullptr : image.String(thunk->u1.AddressOfData + 2);
      CHECK(function && Allowed(dll, function), "unexpected import %s!%s", dll.c_str(),
            function ? function : "(by ordinal)");
    }
  }
  CHECK(functions > 0, "%d imports", functions);
}

// The numbers as "[a, b, c]", for messages.
std::string Listed(const std::vector<ULONG_PTR> &numbers) {
  std::string text = "[";
  for (ULONG_PTR n : numbers)
    text += (text.size() > 1 ? ", " : "") + std::to_string(n);
  return text + "]";
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR> *>(found)->push_back(reinterpret_cast<ULONG_PTR>(type));
  return TRUE;
}
BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR> *>(found)->push_back(reinterpret_cast<ULONG_PTR>(name));
  return TRUE;
}
BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR> *>(found)->push_back(language);
  return TRUE;
}

// Eleven bitmaps in Japanese, each the committed file without its 14-byte file header.
void CheckResources(const char *path, const std::string &folder) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!CHECK(module != nullptr, "LoadLibraryEx error %lu", GetLastError()))
    return;
  std::vector<ULONG_PTR> types, ids;
  EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
  CHECK(types == std::vector<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_BITMAP)}, "%s",
        Listed(types).c_str());
  EnumResourceNamesA(module, RT_BITMAP, CollectName, reinterpret_cast<LONG_PTR>(&ids));
  std::vector<ULONG_PTR> expectedIds = {IDB_TICKET_FACE};
  for (ULONG_PTR id = IDB_DIGIT_0; id <= IDB_DIGIT_9; ++id)
    expectedIds.push_back(id);
  CHECK(ids == expectedIds, "%s", Listed(ids).c_str());
  for (ULONG_PTR id : expectedIds) {
    LPCSTR name = MAKEINTRESOURCEA(id);
    std::vector<ULONG_PTR> languages;
    EnumResourceLanguagesA(module, RT_BITMAP, name, CollectLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    CHECK(languages == std::vector<ULONG_PTR>{0x411}, "bitmap %lu: %s",
          static_cast<unsigned long>(id), Listed(languages).c_str());
    HRSRC found = FindResourceExA(module, RT_BITMAP, name, 0x411);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char *bytes = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    std::string file = ReadFileBytes(
        folder + (id == IDB_TICKET_FACE ? "/ticket_face.bmp"
                                        : "/digit_" + std::to_string(id - IDB_DIGIT_0) + ".bmp"));
    bool same = bytes && file.size() > 14 && SizeofResource(module, found) == file.size() - 14 &&
                file.compare(14, std::string::npos, bytes, file.size() - 14) == 0;
    CHECK(same, "bitmap %lu is not the committed file", static_cast<unsigned long>(id));
  }
  FreeLibrary(module);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::printf("usage: product_file_test TKT_A1.QPL RESOURCES_FOLDER\n");
    return 2;
  }
  Image image;
  if (!CHECK(Load(argv[1], image), "%s is no readable PE image", argv[1]))
    return Summary("product file");
  CheckHeaders(image);
  CheckImports(image);
  CheckResources(argv[1], argv[2]);
  return Summary("product file");
}
