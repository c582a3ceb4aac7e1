// Cheap guest stores on Debian 12's libunicorn 2.0.1, which tracks no dirty pages. Every TLB entry
// of writable RAM there keeps QEMU's not-dirty flag for good, so every guest store, even a push,
// leaves the translated code for the library's store helper: a search of the mapped regions, the
// write hooks, and the not-dirty path, where page_collection_lock allocates a tree of the written
// page's translated blocks, tb_invalidate_phys_page_fast discards any that the store overwrites,
// and page_collection_unlock frees the tree again. Two fixes, each a definition of a library
// function that the library calls through its PLT: linked into each workbench executable and
// exported from it, it is bound before the library's own.
//
// 1. page_collection_lock returns null and page_collection_unlock accepts null, as in Unicorn
//    2.1.0 ("notdirty_write: fix store-related performance problems"), where Unicorn's page locks
//    do nothing. The callers hand the result only to tb_invalidate_phys_page_fast, which passes it
//    on to page_collection_unlock and nothing else (checked in the 2.0.1 binary), so translated
//    code written over is still found and discarded as before.
// 2. After the library fills a TLB entry for a page of the stack, the host buffers or the heap,
//    the library's own tlb_set_dirty drops the not-dirty flag, as QEMU does for a page that holds
//    no translated code: stores there then stay in the translated code. Those regions are mapped
//    read-write and never executable (guest_memory.h), and the emulator translates only code it
//    may fetch, so no translated block can lie there to be discarded. Nothing else on the helper's
//    way applies to them: they are mapped and writable, and code translated while a write hook
//    exists sends every store to the helper whatever the TLB entry says. Pages of modules keep the
//    flag: few stores go there, and code there may be written over (a writable, executable
//    section).
//
// Remove fix 1 with Debian's Unicorn 2.1.0 or later; fix 2 once the library drops the flag itself
// (its cpu_physical_memory_test_and_clear_dirty in 2.0.1 only returns false), and with both this
// file, its target and workbench_bench_stock_unicorn.
#include "workbench/emulator/unicorn_store_fix.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "workbench/emulator/machine.h"

namespace {

uint64_t pageCollectionLocks = 0;
uint64_t entriesMadeDirty = 0;

const uint64_t kPageSize = 0x1000;

// QEMU's void tlb_set_page_with_attrs(CPUState *, target_ulong vaddr, hwaddr paddr, MemTxAttrs,
// int prot, int mmu_idx, target_ulong size), with both addresses 64 bits wide in the x86-64
// library and MemTxAttrs a 32-bit record of bit fields, passed as a 32-bit integer is.
typedef void (*SetTlbPage)(void *cpu, uint64_t vaddr, uint64_t paddr, uint32_t attrs, int prot,
                           int mmuIndex, uint64_t size);

SetTlbPage LibrarySetTlbPage() {
  static const SetTlbPage library =
      reinterpret_cast<SetTlbPage>(dlsym(RTLD_NEXT, "tlb_set_page_with_attrs_x86_64"));
  if (!library) {
    std::fprintf(stderr, "workbench: libunicorn has no tlb_set_page_with_attrs_x86_64\n");
    std::abort();
  }
  return library;
}

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

// The library's: void tlb_set_dirty(CPUState *, target_ulong vaddr).
void tlb_set_dirty_x86_64(void *cpu, uint64_t vaddr);

void tlb_set_page_with_attrs_x86_64(void *cpu, uint64_t vaddr, uint64_t paddr, uint32_t attrs,
                                    int prot, int mmuIndex, uint64_t size) {
  LibrarySetTlbPage()(cpu, vaddr, paddr, attrs, prot, mmuIndex, size);
  // The CPU filling its TLB is the one this thread runs: the running machine's.
  Machine *m = RunningMachine();
  if (m && paddr >> 32 == 0 &&
      HostBackedBytes(*m, static_cast<uint32_t>(paddr & ~(kPageSize - 1)), kPageSize)) {
    tlb_set_dirty_x86_64(cpu, vaddr);
    ++entriesMadeDirty;
  }
}

} // extern "C"

uint64_t UnicornPageCollectionLocks() {
  return pageCollectionLocks;
}

uint64_t UnicornTlbEntriesMadeDirty() {
  return entriesMadeDirty;
}
