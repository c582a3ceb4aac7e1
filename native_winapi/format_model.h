// The system's formatted print (wsprintfA) as one model over host memory. The native stand-in
// feeds it from a va_list; a host that emulates the 32-bit module feeds it from guest memory.
#pragma once

#include <cstdint>

// Longest output of one print, terminator included; the system's formatter stops there too.
constexpr int FormatOutputLimit = 1024;

// Writes the formatted text and its terminator to out and returns the count of characters
// written, terminator excluded. Conversions: %d %i %u %x %X %s %c and %%, with the flags "-"
// (left-justify, which overrides "0") and "0" (zero-fill numbers after their sign), and a width
// that counts the sign. Every argument is a 32-bit value taken from nextArgument, except that %s
// takes its string from nextString; without nextString a %s argument is still taken from
// nextArgument, since it has no host address, and prints as "(null)" as a null string does. Any
// other conversion character is written as itself and takes no argument.
int FormatModel(char *out, const char *format, uint32_t (*nextArgument)(void *context),
                void *context, const char *(*nextString)(void *context) = nullptr);
