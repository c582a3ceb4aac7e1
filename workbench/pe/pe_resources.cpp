#include "workbench/pe/pe_resources.h"

#include "common/byte_reader.h"

namespace {

const int64_t kFirstEntry = -1;

// The offsetToData of the entry with integer id in the directory at root + dir (the first entry
// for kFirstEntry); -1 when absent or outside the file.
int64_t FindEntry(const std::vector<uint8_t> &b, uint64_t root, uint64_t dir, int64_t id) {
  ImageResourceDirectory directory;
  if (!ReadAt(b, root + dir, &directory))
    return -1;
  uint32_t count = uint32_t{directory.numberOfNamedEntries} + directory.numberOfIdEntries;
  for (uint32_t i = 0; i < count; ++i) {
    ImageResourceDirectoryEntry entry;
    if (!ReadAt(b, root + dir + sizeof directory + i * sizeof entry, &entry))
      return -1;
    bool integerId = !(entry.name & kResourceFlag);
    if (id == kFirstEntry || (integerId && entry.name == id))
      return entry.offsetToData;
  }
  return -1;
}

// The subdirectory an entry leads to, or -1 when it leads to data or is absent.
int64_t Subdirectory(int64_t offsetToData) {
  return offsetToData >= 0 && (offsetToData & kResourceFlag) ? offsetToData & ~kResourceFlag : -1;
}

} // namespace

bool FindResourceBytes(const PeImage &image, uint32_t type, uint32_t id,
                       std::vector<uint8_t> *bytes) {
  if (!image.resources.virtualAddress)
    return false;
  int64_t root = RvaToFileOffset(image, image.resources.virtualAddress);
  if (root < 0)
    return false;
  const std::vector<uint8_t> &b = image.file;
  uint64_t r = static_cast<uint64_t>(root);
  int64_t ids = Subdirectory(FindEntry(b, r, 0, type));
  int64_t languages = ids < 0 ? -1 : Subdirectory(FindEntry(b, r, static_cast<uint64_t>(ids), id));
  int64_t leaf =
      languages < 0 ? -1 : FindEntry(b, r, static_cast<uint64_t>(languages), kFirstEntry);
  ImageResourceDataEntry data;
  if (leaf < 0 || (leaf & kResourceFlag) || !ReadAt(b, r + static_cast<uint64_t>(leaf), &data))
    return false;
  int64_t at = RvaToFileOffset(image, data.offsetToData);
  if (at < 0 || !Fits(b, static_cast<uint64_t>(at), data.size))
    return false;
  bytes->assign(b.begin() + at, b.begin() + at + data.size);
  return true;
}
