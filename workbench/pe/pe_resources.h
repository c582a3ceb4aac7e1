// Looks up a resource in a PE image's own resource directory, as FindResource does for
// integer type and integer id (any language).
#pragma once

#include <cstdint>
#include <vector>

#include "workbench/pe/pe_image.h"

const uint32_t kResourceTypeBitmap = 2;

// The bytes of resource type/id (the first language found); false when there is none.
bool FindResourceBytes(const PeImage &image, uint32_t type, uint32_t id,
                       std::vector<uint8_t> *bytes);
