// Whether a drawn ticket shows a wrong figure. A ticket may lose its figures, or its face, when
// the platform refuses something, but it must never show a figure other than its number's.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/host/plugin_host.h"

// Checks the picture DrawSeiriken drew for the ticket-number argument on a canvas filled with
// `background`: each digit cell shows the glyph the design places there, the plain face or the
// untouched background, and the rest of the face shows the face or the background. Empty when
// so; otherwise which cell shows what.
std::string WrongFigure(Plugin &p, const Pixels &picture, int32_t ticketNumberArgument,
                        uint32_t background);
