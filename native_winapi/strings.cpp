// String functions of the system, on host memory. The emulator host calls these same functions
// after copying its guest's strings out, so each has one model in the project.
#include <cstring>

#include "native_winapi/windows_standin.h"

// Compares bytes as unsigned values, the shorter text first when one is a prefix of the other.
// The module only asks whether a character equals "0", which every locale answers the same way.
int CompareStringA(LCID, DWORD, LPCSTR left, int leftLength, LPCSTR right, int rightLength) {
  if (!left || !right)
    return 0;
  if (leftLength < 0)
    leftLength = static_cast<int>(std::strlen(left));
  if (rightLength < 0)
    rightLength = static_cast<int>(std::strlen(right));
  int common = leftLength < rightLength ? leftLength : rightLength;
  int order = std::memcmp(left, right, static_cast<size_t>(common));
  if (order == 0)
    order = leftLength - rightLength;
  return order < 0 ? CSTR_LESS_THAN : (order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN);
}

int lstrlenA(LPCSTR text) {
  return text ? static_cast<int>(std::strlen(text)) : 0;
}

void RtlMoveMemory(void *destination, const void *source, SIZE_T length) {
  std::memmove(destination, source, length);
}

// Upper-cases "a" to "z" in place and leaves every other byte, double-byte characters included.
LPSTR CharUpperA(LPSTR text) {
  for (char *c = text; *c; ++c)
    if (*c >= 'a' && *c <= 'z')
      *c = static_cast<char>(*c - 'a' + 'A');
  return text;
}
