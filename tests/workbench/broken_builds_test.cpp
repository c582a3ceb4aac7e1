// `check` on deliberately broken builds of the plug-in that the test makes from the product
// file: each fault is found and named.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "common/byte_reader.h"
#include "resources/resource_ids.h"
#include "workbench/host/conformance.h"
#include "workbench/pe/pe_resources.h"

namespace {

std::vector<uint8_t> ProductBytes() {
  std::ifstream in(WB_PRODUCT, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Replaces the first occurrence of `from` (after `after`, when given) by `to`, same length.
bool Patch(std::vector<uint8_t> &bytes, const std::string &from, const std::string &to,
           const std::string &after = "") {
  std::string all(bytes.begin(), bytes.end());
  size_t at = all.find(after + from);
  if (at == std::string::npos || from.size() != to.size())
    return false;
  std::memcpy(&bytes[at + after.size()], to.data(), to.size());
  return true;
}

// The file offsets of the entries of the resource directory at root + dir.
std::vector<uint64_t> Entries(const std::vector<uint8_t> &bytes, uint64_t root, uint32_t dir) {
  ImageResourceDirectory directory{};
  std::vector<uint64_t> entries;
  if (ReadAt(bytes, root + dir, &directory))
    for (uint32_t i = 0; i < uint32_t{directory.numberOfNamedEntries} + directory.numberOfIdEntries;
         ++i)
      entries.push_back(root + dir + sizeof directory + i * sizeof(ImageResourceDirectoryEntry));
  return entries;
}

// Renumbers bitmap resource `from` to `to` in the resource directory.
bool RenumberBitmap(std::vector<uint8_t> &bytes, uint32_t from, uint32_t to) {
  PeImage pe;
  std::string error;
  if (!ParsePeImage(bytes, &pe, &error))
    return false;
  uint64_t root = static_cast<uint64_t>(RvaToFileOffset(pe, pe.resources.virtualAddress));
  ImageResourceDirectoryEntry type, bitmap;
  for (uint64_t t : Entries(bytes, root, 0))
    if (ReadAt(bytes, t, &type) && type.name == kResourceTypeBitmap)
      for (uint64_t b : Entries(bytes, root, type.offsetToData & ~kResourceFlag))
        if (ReadAt(bytes, b, &bitmap) && bitmap.name == from)
          return WriteAt(bytes, b, ImageResourceDirectoryEntry{to, bitmap.offsetToData});
  return false;
}

// Points the entry point at start-up code of its own, put in the slack after the code section:
// `xor eax, eax; ret 12`, an entry that never reaches DllMain and refuses the attach.
bool EntryBeforeDllMain(std::vector<uint8_t> &bytes) {
  const uint8_t refuse[] = {0x31, 0xC0, 0xC2, 0x0C, 0x00};
  ImageDosHeader dos;
  ImageNtHeaders32 nt;
  if (!ReadAt(bytes, 0, &dos) || !ReadAt(bytes, dos.ntHeadersOffset, &nt))
    return false;
  uint64_t sections =
      dos.ntHeadersOffset + kOptionalHeaderOffset + nt.fileHeader.sizeOfOptionalHeader;
  ImageSectionHeader code;
  for (uint64_t at = sections; ReadAt(bytes, at, &code); at += sizeof code)
    if (code.characteristics & kSectionExecute) {
      if (code.sizeOfRawData < code.virtualSize + sizeof refuse)
        return false;
      for (size_t i = 0; i < sizeof refuse; ++i)
        WriteAt(bytes, code.pointerToRawData + code.virtualSize + i, refuse[i]);
      nt.optionalHeader.addressOfEntryPoint = code.virtualAddress + code.virtualSize;
      code.virtualSize += sizeof refuse;
      return WriteAt(bytes, at, code) && WriteAt(bytes, dos.ntHeadersOffset, nt);
    }
  return false;
}

std::string Write(const std::vector<uint8_t> &bytes, const char *name) {
  std::string path = std::string(WB_SCRATCH_DIR "/") + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(BrokenBuilds, ALoadFailureNamesWhatIsMissing) {
  std::vector<uint8_t> renamed = ProductBytes(), wideImport = ProductBytes();
  ASSERT_TRUE(Patch(renamed, "DrawSeiriken", "DrawSeirikeX"));
  ASSERT_TRUE(Patch(wideImport, "lstrlenA", "lstrlenW"));
  struct {
    std::string path;
    const char *message;
  } cases[] = {
      {Write(renamed, "no_draw.qpl"), "is not a ticket plug-in: it does not export DrawSeiriken"},
      {Write(wideImport, "wide_import.qpl"),
       "imports functions the workbench does not provide: KERNEL32.dll!lstrlenW"},
  };
  for (const auto &c : cases) {
    Plugin p;
    std::string error;
    EXPECT_FALSE(OpenPlugin(p, c.path, &error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(BrokenBuilds, CheckFindsAChangedDescriptionAndAMissingGlyph) {
  std::vector<uint8_t> description = ProductBytes(), glyphs = ProductBytes();
  // The module name inside the description follows the fullwidth parenthesis 81 69.
  ASSERT_TRUE(Patch(description, "TKT_A1", "TKT_B1", "\x81\x69"));
  ASSERT_TRUE(RenumberBitmap(glyphs, IDB_DIGIT_4, IDB_DIGIT_4 + 10));
  struct {
    std::string path;
    std::string failedCheck;
    const char *detail;
  } cases[] = {
      {Write(description, "description.qpl"), "SetPlgComment", "TKT_B1.QPL"},
      // Without glyph 4 the list is short of an image and the product draws no glyph at all.
      {Write(glyphs, "glyph_4.qpl"), "DrawSeiriken of 0 ", "expected ImageList_Draw("},
  };
  for (const auto &c : cases) {
    Plugin p;
    std::string error;
    ASSERT_TRUE(OpenPlugin(p, c.path, &error)) << error;
    std::vector<CheckResult> results = {CheckComment(p), CheckDrawCalls(p, 0)};
    int failed = 0;
    for (const CheckResult &r : results)
      if (!r.ok) {
        ++failed;
        EXPECT_NE(r.name.find(c.failedCheck), std::string::npos) << r.name;
        EXPECT_NE(r.detail.find(c.detail), std::string::npos) << r.name << ": " << r.detail;
      }
    EXPECT_EQ(failed, 1) << c.path;
  }
}

// The host attaches through the entry point, as the Windows loader does, not through the export
// named DllMain; the check names an entry point that is not DllMain.
TEST(BrokenBuilds, AttachRunsTheEntryPointAndCheckNamesOneThatIsNotDllMain) {
  std::vector<uint8_t> bytes = ProductBytes();
  ASSERT_TRUE(EntryBeforeDllMain(bytes));
  Plugin p;
  std::string error;
  ASSERT_TRUE(OpenPlugin(p, Write(bytes, "entry.qpl"), &error)) << error;
  EXPECT_EQ(p.attachResult, 0u);
  CheckResult r = CheckDllMain(p);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.detail.find("the entry point is not DllMain"), std::string::npos) << r.detail;
}

} // namespace
