// String and memory functions. Where the logic does not depend on where memory lives, these
// handlers only copy the guest's texts out, call the project's one model of the function
// (native_winapi/) and copy results back.
#include <deque>

#include "native_winapi/format_model.h"
#include "native_winapi/windows_standin.h"
#include "workbench/emulator/cp932.h"
#include "workbench/winapi/standin.h"

namespace {

// A text given with a length, or up to its terminator for a negative length.
bool ReadCounted(Machine &m, uint32_t address, int32_t length, std::string *text) {
  if (length < 0)
    return ReadGuestString(m, address, text);
  text->resize(static_cast<size_t>(length));
  return ReadGuest(m, address, &(*text)[0], text->size());
}

// Successive cdecl arguments after wsprintfA's fixed two, read from the guest stack.
struct VariadicArguments {
  Machine *machine;
  uint32_t next;
  std::deque<std::string> strings; // keeps each %s text alive until the print is done
  bool failed;
};

uint32_t NextArgument(void *context) {
  VariadicArguments &a = *static_cast<VariadicArguments *>(context);
  uint32_t value = 0;
  if (!ReadGuestU32(*a.machine, a.next, &value))
    a.failed = true;
  a.next += 4;
  return value;
}

const char *NextString(void *context) {
  VariadicArguments &a = *static_cast<VariadicArguments *>(context);
  uint32_t address = NextArgument(context);
  if (address == 0)
    return nullptr;
  a.strings.emplace_back();
  if (!ReadGuestString(*a.machine, address, &a.strings.back()))
    a.failed = true;
  return a.strings.back().c_str();
}

uint32_t StandInCompareStringA(Machine &m, StandInCall &call) {
  uint32_t locale = call.arguments[0], flags = call.arguments[1];
  uint32_t leftAddress = call.arguments[2], rightAddress = call.arguments[4];
  int32_t leftLength = static_cast<int32_t>(call.arguments[3]);
  int32_t rightLength = static_cast<int32_t>(call.arguments[5]);
  std::string left, right;
  if ((leftAddress && !ReadCounted(m, leftAddress, leftLength, &left)) ||
      (rightAddress && !ReadCounted(m, rightAddress, rightLength, &right))) {
    StopWithFault(m, "CompareStringA was given an unreadable text");
    return 0;
  }
  if (m.log.enabled)
    call.detail = QuoteText(left) + " " + QuoteText(right);
  return static_cast<uint32_t>(CompareStringA(
      locale, flags, leftAddress ? left.c_str() : nullptr, static_cast<int>(left.size()),
      rightAddress ? right.c_str() : nullptr, static_cast<int>(right.size())));
}

uint32_t StandInLstrlenA(Machine &m, StandInCall &call) {
  uint32_t address = call.arguments[0];
  std::string text;
  if (address && !ReadGuestString(m, address, &text)) {
    StopWithFault(m, "lstrlenA was given an unreadable text at " + DescribeAddress(m, address));
    return 0;
  }
  if (m.log.enabled)
    call.detail = QuoteText(text);
  return static_cast<uint32_t>(lstrlenA(address ? text.c_str() : nullptr));
}

// A value below 0x10000 is one character in its low byte, returned upper-cased; otherwise the
// text is upper-cased in place and its address returned.
uint32_t StandInCharUpperA(Machine &m, StandInCall &call) {
  uint32_t argument = call.arguments[0];
  if (argument < 0x10000) {
    char one[2] = {static_cast<char>(argument & 0xFF), 0};
    CharUpperA(one);
    return (argument & 0xFFFFFF00u) | static_cast<uint8_t>(one[0]);
  }
  std::string text;
  if (!ReadGuestString(m, argument, &text)) {
    StopWithFault(m, "CharUpperA was given an unreadable text at " + DescribeAddress(m, argument));
    return 0;
  }
  CharUpperA(&text[0]);
  if (!WritableByGuest(m, argument, text.size()) ||
      !WriteGuest(m, argument, text.data(), text.size())) {
    StopWithFault(m,
                  "CharUpperA was given a text it cannot write at " + DescribeAddress(m, argument));
    return 0;
  }
  if (m.log.enabled)
    call.detail = QuoteText(text);
  return argument;
}

uint32_t StandInWsprintfA(Machine &m, StandInCall &call) {
  uint32_t buffer = call.arguments[0], formatAddress = call.arguments[1];
  std::string format;
  if (!ReadGuestString(m, formatAddress, &format)) {
    StopWithFault(m, "wsprintfA was given an unreadable format at " +
                         DescribeAddress(m, formatAddress));
    return 0;
  }
  VariadicArguments arguments{&m, call.stack + 12, {}, false};
  char out[FormatOutputLimit + 1];
  int written = FormatModel(out, format.c_str(), NextArgument, &arguments, NextString);
  if (arguments.failed || !WritableByGuest(m, buffer, static_cast<size_t>(written) + 1) ||
      !WriteGuest(m, buffer, out, static_cast<size_t>(written) + 1)) {
    StopWithFault(m, "wsprintfA could not read its arguments or write its output at " +
                         DescribeAddress(m, buffer));
    return 0;
  }
  if (m.log.enabled)
    call.detail =
        QuoteText(format) + " -> " + QuoteText(std::string(out, static_cast<size_t>(written)));
  return static_cast<uint32_t>(written);
}

// Copies through a host buffer, so overlapping ranges move as memmove does.
uint32_t StandInRtlMoveMemory(Machine &m, StandInCall &call) {
  uint32_t destination = call.arguments[0], source = call.arguments[1], length = call.arguments[2];
  std::vector<uint8_t> bytes(length);
  if (!ReadGuest(m, source, bytes.data(), length) || !WritableByGuest(m, destination, length) ||
      !WriteGuest(m, destination, bytes.data(), length)) {
    StopWithFault(m, "RtlMoveMemory of " + std::to_string(length) + " bytes from " +
                         DescribeAddress(m, source) + " to " + DescribeAddress(m, destination) +
                         " touches unmapped or read-only memory");
    return 0;
  }
  return 0;
}

const StandIn kRows[] = {
    {"kernel32.dll", "CompareStringA", Arguments<6>(), Convention::Stdcall, StandInCompareStringA,
     false, 0},
    {"kernel32.dll", "lstrlenA", Arguments<1>(), Convention::Stdcall, StandInLstrlenA, false, 0},
    {"kernel32.dll", "RtlMoveMemory", Arguments<3>(), Convention::Stdcall, StandInRtlMoveMemory,
     false, 0},
    {"user32.dll", "CharUpperA", Arguments<1>(), Convention::Stdcall, StandInCharUpperA, false, 0},
    {"user32.dll", "wsprintfA", Arguments<2>(), Convention::CdeclVariadic, StandInWsprintfA, false,
     0},
};

} // namespace

extern const StandInFamily kStringStandIns = FamilyOf(kRows);
