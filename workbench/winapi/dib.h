// RT_BITMAP resources decoded into pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/winapi/pixels.h"

// Decodes an RT_BITMAP resource: a DIB stored without its file header. False with a message
// for a truncated or unsupported bitmap.
bool DecodeBitmapResource(const std::vector<uint8_t> &dib, Pixels *pixels, std::string *error);
