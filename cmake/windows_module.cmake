# Compiler and linker settings of a module with no C runtime: the product TKT_A1.QPL, its 64-bit
# twin and the 32-bit test modules built from the same sources.

# Compile flags for code that goes into such a module.
function(tkt_module_flags target)
  target_compile_options(${target} PRIVATE
    -fno-exceptions -fno-rtti -fno-stack-protector -fno-asynchronous-unwind-tables
    -ffreestanding -fno-threadsafe-statics -fno-ident
    # Small code: the module is mostly its bitmaps.
    -Os
    # Doubles in SSE2, each operation rounded to a double on its own.
    -ffp-contract=off
    $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},x86>:-msse2 -mfpmath=sse>
    # Keep gcc from turning the module's own copy loops into calls of themselves.
    $<$<CXX_COMPILER_ID:GNU>:-fno-tree-loop-distribute-patterns>)
endfunction()

# Link settings: DllMain is the entry point, nothing runs before it, and only the four system
# DLLs are imported. The time stamp is left out so that two builds give the same bytes.
function(tkt_module_link target def_file)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    set(entry _DllMain@12)
  else()
    set(entry DllMain)
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "" LINK_DEPENDS ${def_file})
  target_link_options(${target} PRIVATE
    -nostdlib -Wl,-e,${entry} -Wl,--no-insert-timestamp -s
    $<$<CXX_COMPILER_ID:GNU>:-Wl,--enable-stdcall-fixup>
    ${def_file})
  target_link_libraries(${target} PRIVATE kernel32 user32 gdi32 comctl32 gcc)
endfunction()
