// The module has no C runtime, yet compilers emit calls to these for block copies and fills.
#include <cstddef>

extern "C" {

void *memcpy(void *destination, const void *source, size_t count) {
  char *to = static_cast<char *>(destination);
  const char *from = static_cast<const char *>(source);
  while (count--)
    *to++ = *from++;
  return destination;
}

void *memmove(void *destination, const void *source, size_t count) {
  char *to = static_cast<char *>(destination);
  const char *from = static_cast<const char *>(source);
  if (to < from) {
    while (count--)
      *to++ = *from++;
  } else {
    while (count--)
      to[count] = from[count];
  }
  return destination;
}

void *memset(void *destination, int value, size_t count) {
  unsigned char *to = static_cast<unsigned char *>(destination);
  while (count--)
    *to++ = static_cast<unsigned char>(value);
  return destination;
}
}
