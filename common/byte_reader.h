// Little-endian numbers and records in bytes: a BMP or module file, a resource, an image being
// relocated. Every read and write first checks that the whole value lies inside the buffer, so a
// truncated or hostile file gives a failed read, never a read outside it. Records are plain
// structs of fixed-width fields laid out as in the file (bmp_layout.h, workbench/pe/pe_layout.h)
// and are copied as they lie, which is exact on a little-endian host.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are copied as they lie in little-endian files");

// Whether [offset, offset + size) lies inside bytes; no sum can overflow.
inline bool Fits(const std::vector<uint8_t> &bytes, uint64_t offset, uint64_t size) {
  return offset <= bytes.size() && size <= bytes.size() - offset;
}

// The number or record at offset; false, *value untouched, when it does not lie wholly inside.
template <typename T> bool ReadAt(const std::vector<uint8_t> &bytes, uint64_t offset, T *value) {
  static_assert(std::is_trivially_copyable<T>::value, "a record of plain fields");
  if (!Fits(bytes, offset, sizeof(T)))
    return false;
  std::memcpy(value, bytes.data() + offset, sizeof(T));
  return true;
}

// Stores a number or record at offset; false, nothing written, when it does not fit.
template <typename T> bool WriteAt(std::vector<uint8_t> &bytes, uint64_t offset, const T &value) {
  static_assert(std::is_trivially_copyable<T>::value, "a record of plain fields");
  if (!Fits(bytes, offset, sizeof(T)))
    return false;
  std::memcpy(bytes.data() + offset, &value, sizeof(T));
  return true;
}
