// Many DrawSeiriken calls in a row on one loaded plug-in, with the machine's heap, texts,
// bitmaps and image lists compared before and after: a leak of one block per thousand calls
// shows here and nowhere else.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/host/plugin_host.h"

struct SoakReport {
  uint64_t tickets = 0; // calls made
  double seconds = 0;
  size_t heapBlocksBefore = 0, heapBlocksAfter = 0;
  int32_t textsBefore = 0, textsAfter = 0;
  uint64_t bitmapsLoaded = 0, bitmapsDeleted = 0, listsCreated = 0, listsDestroyed = 0;
  std::string problem; // the first thing wrong, or empty
};

// Draws `tickets` tickets: ticket numbers 0 to 99 and random 32-bit ticket-number arguments in
// turn. Each call must return 0 without a fault; every 97th picture is checked for a wrong figure;
// every 1,000 calls and at the end the machine must hold exactly what it held before.
SoakReport Soak(Plugin &p, uint64_t tickets);
