#include "common/export_call.h"

#if defined(__i386__)
// Pushes `count` arguments right to left, calls `function`, and gives how far the stack pointer
// is from where it was before the pushes (0 for a callee that removes exactly its arguments).
// The stack pointer is saved in memory, not in a register the callee might not keep. One call at
// a time: callers make their calls from one thread at a time.
extern "C" uint32_t CallMeasuringStack(const void *function, const uintptr_t *args, uint32_t count,
                                       int32_t *drift);
asm(".data\n"
    "exportCallSavedStack: .long 0\n"
    ".text\n"
    ".globl _CallMeasuringStack\n"
    "_CallMeasuringStack:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl %esp, exportCallSavedStack\n"
    "  movl 12(%ebp), %esi\n"
    "  movl 16(%ebp), %ecx\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *8(%ebp)\n"
    "  movl %esp, %edx\n"
    "  subl exportCallSavedStack, %edx\n"
    "  movl exportCallSavedStack, %esp\n"
    "  movl 32(%esp), %ecx\n"
    "  movl %edx, (%ecx)\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");

uint32_t CallWindowsExport(const void *function, const uintptr_t *args, uint32_t count,
                           int32_t *drift) {
  *drift = 0;
  return CallMeasuringStack(function, args, count, drift);
}
#else
uint32_t CallWindowsExport(const void *function, const uintptr_t *args, uint32_t count,
                           int32_t *drift) {
  // One calling convention on 64-bit Windows: extra arguments are harmless.
  uintptr_t a[8] = {};
  for (uint32_t i = 0; i < count && i < 8; ++i)
    a[i] = args[i];
  using Any = uintptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                            uintptr_t, uintptr_t);
  auto call = reinterpret_cast<Any>(reinterpret_cast<uintptr_t>(function));
  *drift = 0;
  return static_cast<uint32_t>(call(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]));
}
#endif
