# Compiler and linker settings of a module with no C runtime: the product TKT_A1.QPL, its 64-bit
# twin and the 32-bit test modules built from the same sources.

# Compile flags for code that goes into such a module.
function(tkt_module_flags target)
  target_compile_options(${target} PRIVATE
    -fno-exceptions -fno-rtti -fno-stack-protector -fno-asynchronous-unwind-tables
    -ffreestanding -fno-threadsafe-statics -fno-ident
    # Small code: the module is mostly its bitmaps.
    -Os
    # Each double operation rounded on its own. The 32-bit module uses only the 486's instructions
    # (no SSE, MMX, CMOV or FCOMI), so that it runs on every x86 processor a Windows host may have,
    # down to the embedded boards of ticket machines, and computes its doubles in the x87 unit; the
    # number conversions set the unit's precision to 53 bits while they run (text/float_unit.h).
    -ffp-contract=off
    $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},x86>:-march=i486 -mfpmath=387>
    # Keep gcc from turning the module's own copy loops into calls of themselves.
    $<$<CXX_COMPILER_ID:GNU>:-fno-tree-loop-distribute-patterns>)
endfunction()

# Link settings: DllMain is the entry point, nothing runs before it, and only the four system
# DLLs are imported. The time stamp is left out so that two builds give the same bytes. The module
# may be loaded at any address and its data is never executed; a 32-bit module also says that it
# has no exception handlers (none is ever dispatched into it), that it belongs to the Windows GUI
# subsystem of the hosts that load it (GNU ld would say console, lld GUI) and that Windows 4.0 is
# enough, so that old hosts load it. GNU ld and lld take the same spellings. lld writes no image checksum, so
# every module gets it after linking, as the Windows loader computes it.
function(tkt_module_link target def_file)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
    set(entry _DllMain@12)
    set(x86_only -Wl,--no-seh -Wl,--subsystem,windows
      -Wl,--major-os-version,4 -Wl,--minor-os-version,0
      -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)
  else()
    set(entry DllMain)
    set(x86_only)
  endif()
  set_target_properties(${target} PROPERTIES PREFIX "" LINK_DEPENDS ${def_file})
  target_link_options(${target} PRIVATE
    -nostdlib -Wl,-e,${entry} -Wl,--no-insert-timestamp -s
    -Wl,--dynamicbase -Wl,--nxcompat ${x86_only}
    $<$<CXX_COMPILER_ID:GNU>:-Wl,--enable-stdcall-fixup>
    ${def_file})
  target_link_libraries(${target} PRIVATE kernel32 user32 gdi32 comctl32 gcc)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/write_pe_checksum.sh $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
