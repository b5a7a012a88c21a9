# launcher_minimize_size(target): keeps a statically linked executable
# small. BENCHMARKS.md gives what each measure saves on launcher.exe.
#  - LAUNCHER_STRIP: no symbol table in Release builds (-s); the statically
#    linked C++ runtime brings most of it.
#  - LAUNCHER_GC_SECTIONS: the linker drops sections nothing refers to.

option(LAUNCHER_STRIP "Strip symbols from launcher.exe in Release builds" ON)
option(LAUNCHER_GC_SECTIONS "Let the linker drop unreferenced sections" ON)

function(launcher_minimize_size target)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  if(LAUNCHER_STRIP)
    target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  endif()
  if(LAUNCHER_GC_SECTIONS)
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
    target_link_options(${target} PRIVATE -Wl,--gc-sections)
  endif()
endfunction()
