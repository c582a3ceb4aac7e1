// What a stage (a child process of the checker) tells its parent on the private channel
// (stage_channel.h), one line at a time, each written at once so that nothing is lost when the
// plug-in takes the process down: "ok ...", "FAIL ...", "warn ...", an indented line of
// information, or a closing record; and in the shared record, the call under way.
#pragma once

#include <cstdint>
#include <string>

#include "tools/check/stage_channel.h"

__attribute__((format(printf, 1, 2))) std::string Format(const char *format, ...);

void Ok(const std::string &line);
void Fail(const std::string &line);
void Warn(const std::string &line);
void Info(const std::string &line);
// Ok or Fail; gives `passed` back.
bool Verdict(bool passed, const std::string &line);

// Opens the channel named by the --channel value; false when it names no pipe and shared record.
bool OpenChannel(const std::string &value);

// A closing record or a tally (stage_channel.h), as one line.
void SendRecord(const std::string &record);

// The plug-in call under way (or what the checker itself does that may take long), named in the
// report of an exception it raises or of a hang or an end inside it; each begun call is ended.
void BeginCall(const char *exportName, int64_t ticket);
void EndCall();

// How far the stage is in what it counts, for the operator's progress lines.
void SetProgress(long done, long total);

// From here on, an exception that nothing handles is reported for the stage (code, the call it
// happened in, the faulting address as module+offset) and ends it.
void CatchPluginExceptions(const char *stage);

// The text as a quoted line: UTF-8 kept, control characters escaped.
std::string Quoted(const std::string &utf8);
