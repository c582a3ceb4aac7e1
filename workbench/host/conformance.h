// The behaviour of a ticket plug-in binary checked against the design (design.h), as a report:
// exports, record, description, list, the drawing's calls and the placements of all 65,536
// ticket numbers. Used by `tkt-workbench check` and by the test suite.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/host/plugin_host.h"

struct CheckResult {
  std::string name;
  bool ok;
  std::string detail; // what differed, when not ok
};

// Export directory: the five names with ordinals 1 to 5 in alphabetical order, and the module
// name TKT_A1.QPL.
CheckResult CheckExports(const Plugin &p);
// DllMain: the module's entry point; 1 for process attach (already run by OpenPlugin), 0 for
// reasons 0, 2 and 3.
CheckResult CheckDllMain(Plugin &p);
// GetPlgInfo: 1, and the words 4, the face's width and height and eleven zeros, nothing beyond.
CheckResult CheckPlgInfo(Plugin &p);
// SetPlgComment: 0 for a null handle; the design's description on an edit control.
CheckResult CheckComment(Plugin &p);
// SetCorpAddList: 0 and no message for a null handle; reset then fifteen empty entries.
CheckResult CheckList(Plugin &p);
// The image-list, bitmap and DeleteObject calls of one drawing, in order, with arguments.
CheckResult CheckDrawCalls(Plugin &p, int32_t ticketNumberArgument);
// Every low-16-bit ticket number (and `extraSamples` with random upper bits and random unread
// arguments): result 0, 32 bytes removed, the placements of the native rule, nothing left
// behind, nothing drawn outside the face.
CheckResult CheckAllNumbers(Plugin &p, int extraSamples);

// All of the above, in order.
std::vector<CheckResult> CheckPlugin(Plugin &p);
