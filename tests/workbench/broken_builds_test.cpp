// `check` on deliberately broken builds of the plug-in that the test makes from the product
// file: each fault is found and named.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "resources/resource_ids.h"
#include "workbench/conformance.h"
#include "workbench/pe_image.h"

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

// Renumbers bitmap resource `from` to `to` in the resource directory.
bool RenumberBitmap(std::vector<uint8_t> &bytes, uint32_t from, uint32_t to) {
  PeImage pe;
  std::string error;
  if (!ParsePeImage(bytes, &pe, &error))
    return false;
  int64_t root = RvaToFileOffset(pe, pe.resourceRva);
  auto u32 = [&](int64_t at) {
    uint32_t v;
    std::memcpy(&v, &bytes[static_cast<size_t>(at)], 4);
    return v;
  };
  auto entries = [&](int64_t dir) {
    return (bytes[static_cast<size_t>(dir + 12)] | bytes[static_cast<size_t>(dir + 13)] << 8) +
           (bytes[static_cast<size_t>(dir + 14)] | bytes[static_cast<size_t>(dir + 15)] << 8);
  };
  for (int i = 0; i < entries(root); ++i) {
    int64_t e = root + 16 + i * 8;
    if (u32(e) != 2)
      continue;
    int64_t bitmaps = root + (u32(e + 4) & 0x7FFFFFFF);
    for (int k = 0; k < entries(bitmaps); ++k) {
      int64_t b = bitmaps + 16 + k * 8;
      if (u32(b) == from) {
        std::memcpy(&bytes[static_cast<size_t>(b)], &to, 4);
        return true;
      }
    }
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

} // namespace
