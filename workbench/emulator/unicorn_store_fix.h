// Cheap guest stores on Debian's Unicorn 2.0.1 for the workbench's executables (see
// unicorn_store_fix.cpp).
#pragma once

#include <cstdint>

// Calls the emulator has made of the workbench's page_collection_lock so far: none means the
// library no longer calls it, and fix 1 has nothing left to do.
uint64_t UnicornPageCollectionLocks();

// TLB entries of the stack, host buffers and heap that fix 2 has marked dirty so far: none means
// the library no longer fills its TLB through the workbench's tlb_set_page_with_attrs.
uint64_t UnicornTlbEntriesMadeDirty();
