#include "workbench/pe_resources.h"

namespace {

uint32_t U32(const std::vector<uint8_t> &b, uint64_t o) {
  return static_cast<uint32_t>(b[o] | b[o + 1] << 8 | b[o + 2] << 16) |
         static_cast<uint32_t>(b[o + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t> &b, uint64_t o) {
  return static_cast<uint16_t>(b[o] | b[o + 1] << 8);
}

// The offset (from the directory start) of the entry with integer id, the first entry when
// id is negative; -1 when absent. High bit set in the result means "subdirectory".
int64_t FindEntry(const std::vector<uint8_t> &b, uint64_t root, uint64_t dir, int64_t id) {
  if (root + dir + 16 > b.size())
    return -1;
  uint32_t named = U16(b, root + dir + 12), numbered = U16(b, root + dir + 14);
  for (uint32_t i = 0; i < named + numbered; ++i) {
    uint64_t e = root + dir + 16 + i * 8u;
    if (e + 8 > b.size())
      return -1;
    uint32_t name = U32(b, e);
    bool integerId = !(name & 0x80000000u);
    if ((id < 0) || (integerId && name == id))
      return U32(b, e + 4);
  }
  return -1;
}

} // namespace

bool FindResourceBytes(const PeImage &image, uint32_t type, uint32_t id,
                       std::vector<uint8_t> *bytes) {
  if (!image.resourceRva)
    return false;
  int64_t root = RvaToFileOffset(image, image.resourceRva);
  if (root < 0)
    return false;
  const std::vector<uint8_t> &b = image.file;
  uint64_t r = static_cast<uint64_t>(root);
  int64_t level = FindEntry(b, r, 0, type);
  if (level < 0 || !(level & 0x80000000u))
    return false;
  level = FindEntry(b, r, level & 0x7FFFFFFF, id);
  if (level < 0 || !(level & 0x80000000u))
    return false;
  int64_t leaf = FindEntry(b, r, level & 0x7FFFFFFF, -1);
  if (leaf < 0 || (leaf & 0x80000000u) || r + leaf + 16 > b.size())
    return false;
  uint32_t dataRva = U32(b, r + leaf), size = U32(b, r + leaf + 4);
  int64_t data = RvaToFileOffset(image, dataRva);
  if (data < 0 || static_cast<uint64_t>(data) + size > b.size())
    return false;
  bytes->assign(b.begin() + data, b.begin() + data + size);
  return true;
}
