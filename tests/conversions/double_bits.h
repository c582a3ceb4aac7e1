// A double and its IEEE 754 bit pattern, for comparing conversions bit for bit.
#pragma once

#include <cstdint>
#include <cstring>

inline uint64_t BitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline double DoubleFromBits(uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}
