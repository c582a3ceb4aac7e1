// Unicorn 2.1.0's cheap guest stores for the workbench's executables (see unicorn_store_fix.cpp).
#pragma once

#include <cstdint>

// Calls the emulator has made of the workbench's page_collection_lock so far: none means the
// library no longer calls it, and the fix has nothing left to do.
uint64_t UnicornPageCollectionLocks();
