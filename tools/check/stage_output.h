// What a stage (a child process of the checker) tells its parent, one line at a time on its
// standard output, written at once so that nothing is lost when the plug-in takes the process
// down: "ok ...", "FAIL ...", "warn ...", an indented line of information, or a marker "@ ..."
// that names the call under way (the parent keeps the last one, to say where a hang happened).
#pragma once

#include <cstdint>
#include <string>

__attribute__((format(printf, 1, 2))) std::string Format(const char *format, ...);

void Ok(const std::string &line);
void Fail(const std::string &line);
void Warn(const std::string &line);
void Info(const std::string &line);
// Ok or Fail; gives `passed` back.
bool Verdict(bool passed, const std::string &line);

// No ticket number belongs to the call.
const int64_t NoTicket = INT64_MIN;

// The plug-in call under way, named in the marker and in the report of an exception it raises.
void EnterCall(const char *exportName, int64_t ticket);

// From here on, an exception that nothing handles is reported for the stage (code, the call it
// happened in, the faulting address as module+offset) and ends it.
void CatchPluginExceptions(const char *stage);

std::string Utf8(const std::wstring &text);

// The text as a quoted line: UTF-8 kept, control characters escaped.
std::string Quoted(const std::string &utf8);
