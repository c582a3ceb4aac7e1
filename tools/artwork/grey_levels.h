// Turns ink coverage into entries of an image's grey table.
#pragma once

#include <cstdint>

#include "tools/artwork/artwork_design.h"

// The grey level (0 black to 255 white) that `coverage` (0..255) of `ink` on white gives.
int MixedGrey(int ink, int coverage);

// The entry of colours[0..7] whose grey is nearest to `grey`; entries that are not greys (the
// pale yellows in the 5's table) are never chosen. Ties go to the darker entry.
uint8_t NearestGrey(const uint32_t (&colours)[kGreyCount], int grey);
