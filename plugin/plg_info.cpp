#include "plugin/exports.h"

// Fills the host's information record: code 4 and the ticket face's 216 x 97 pixels. A null
// address gets nothing written and 0, rather than a fault inside the host.
int32_t WINAPI GetPlgInfo(PlgInfo *info) {
  if (!info)
    return 0;
  info->InfoCode = 4;
  info->Width = 216;
  info->Height = 97;
  for (int32_t &word : info->Reserved)
    word = 0;
  return 1;
}
