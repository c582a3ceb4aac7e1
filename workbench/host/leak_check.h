// What a call of a plug-in left behind that it should not have.
#pragma once

#include <cstddef>
#include <string>

#include "workbench/host/plugin_host.h"

// Heap blocks beyond blocksBefore, bitmaps, image lists, an entered lock, misuse of the platform,
// damaged guard bytes, debug output. Empty when nothing.
std::string LeftBehind(Plugin &p, size_t blocksBefore);
