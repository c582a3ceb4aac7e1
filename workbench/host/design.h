// What the design of TKT_A1.QPL (design/) makes a plug-in give a host, in the workbench's terms:
// the values the conformance check, the soak and the picture check hold a plug-in to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/host/plugin_host.h"

// The record GetPlgInfo writes: info code 4, the face's width and height, eleven zero words.
extern const GuestPlgInfo kDesignPlgInfo;

// The two-line description SetPlgComment writes, in code page 932, made from the same UTF-8 text
// the Windows suites use.
extern const std::string kDesignDescription;

// The placements the design gives for a ticket-number argument (the table of resulting tickets'
// rule): glyph, x, y.
std::vector<GlyphDraw> ExpectedGlyphs(int32_t ticketNumberArgument);
