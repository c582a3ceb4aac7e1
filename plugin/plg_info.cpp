#include "plugin/exports.h"
#include "resources/ticket_sizes.h"

// Fills the host's information record: code 4 and the size of the ticket face. A null
// address gets nothing written and 0, rather than a fault inside the host.
int32_t WINAPI GetPlgInfo(PlgInfo *info) {
  if (!info)
    return 0;
  info->InfoCode = 4;
  info->Width = FaceWidth;
  info->Height = FaceHeight;
  for (int32_t &word : info->Reserved)
    word = 0;
  return 1;
}
