// Calls an export of a plug-in by the Windows calling convention, with up to eight pointer-sized
// arguments. On 32-bit x86 it also measures the stack pointer around the call: an export that
// does not remove its own arguments (or removes too many) breaks its host. The stack pointer and
// the registers the caller keeps are restored whatever the callee left in them, so the caller
// goes on safely and can report the fault. The checker and the viewer call exports through it.
#pragma once

#include <cstdint>

// Gives the export's 32-bit result; *drift is how far the stack pointer ended from where it was
// before the arguments were pushed (always 0 on 64-bit Windows, where the caller owns the stack).
uint32_t CallWindowsExport(const void *function, const uintptr_t *args, uint32_t count,
                           int32_t *drift);
