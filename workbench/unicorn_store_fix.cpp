// Debian 12's libunicorn 2.0.1 tracks no dirty pages, so every guest store to RAM takes QEMU's
// not-dirty path, where page_collection_lock allocates a tree of the written page's translated
// blocks and page_collection_unlock frees it again: half of the workbench's time went there.
// Unicorn 2.1.0 fixed this ("notdirty_write: fix store-related performance problems"): Unicorn's
// page locks do nothing, so there page_collection_lock returns null and page_collection_unlock
// accepts null. The library calls both through its PLT, so these definitions, linked into each
// workbench executable and exported from it, are bound before the library's own. The callers
// hand the result only to tb_invalidate_phys_page_fast, which passes it on to
// page_collection_unlock and nothing else (checked in the 2.0.1 binary), so translated code
// written over is still found and discarded as before.
//
// Remove this file, its target and workbench_bench_stock_unicorn when Debian ships Unicorn 2.1.0
// or later.
#include "workbench/unicorn_store_fix.h"

namespace {

uint64_t pageCollectionLocks = 0;

} // namespace

extern "C" {

// QEMU's own declarations: struct page_collection *page_collection_lock(struct uc_struct *,
// tb_page_addr_t start, tb_page_addr_t end) and void page_collection_unlock(struct
// page_collection *), with tb_page_addr_t 64 bits wide in the x86-64 library.
void *page_collection_lock_x86_64(void *, uint64_t, uint64_t) {
  ++pageCollectionLocks;
  return nullptr;
}

void page_collection_unlock_x86_64(void *) {}

} // extern "C"

uint64_t UnicornPageCollectionLocks() {
  return pageCollectionLocks;
}
