// The window messages the stand-ins answer and the checks look for, numbered as Windows numbers
// them.
#pragma once

#include <cstdint>

const uint32_t kWmSetText = 0x000C;
const uint32_t kCbAddString = 0x0143;
const uint32_t kCbGetCount = 0x0146;
const uint32_t kCbResetContent = 0x014B;
