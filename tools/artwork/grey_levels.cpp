#include "tools/artwork/grey_levels.h"

#include <cstdlib>

namespace {

bool IsGrey(uint32_t colour) {
  const uint32_t blue = colour & 0xFF;
  return (colour >> 8 & 0xFF) == blue && (colour >> 16 & 0xFF) == blue;
}

} // namespace

int MixedGrey(int ink, int coverage) {
  return 255 - ((255 - ink) * coverage + 127) / 255;
}

uint8_t NearestGrey(const uint32_t (&colours)[kGreyCount], int grey) {
  uint8_t best = kWhite;
  int bestDistance = 256;
  for (uint8_t i = 0; i < kGreyCount; ++i) {
    const int distance = std::abs(static_cast<int>(colours[i] & 0xFF) - grey);
    if (IsGrey(colours[i]) && distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}
