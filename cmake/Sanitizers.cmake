# launcher_enable_sanitizers(target): AddressSanitizer and
# UndefinedBehaviorSanitizer for host builds with LAUNCHER_SANITIZE on.
#
# Applied per target rather than globally: the memory-exhaustion test limits
# its own address space, which AddressSanitizer's shadow memory cannot live
# with, so that one test is built without them.

option(LAUNCHER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(LAUNCHER_SANITIZE AND (WIN32 OR MSVC))
  message(FATAL_ERROR "LAUNCHER_SANITIZE is for GCC or Clang host builds")
endif()

function(launcher_enable_sanitizers target)
  if(NOT LAUNCHER_SANITIZE)
    return()
  endif()
  set(flags -fsanitize=address,undefined -fno-sanitize-recover=all
            -fno-omit-frame-pointer)
  target_compile_options(${target} PRIVATE ${flags})
  target_link_options(${target} PRIVATE ${flags})
endfunction()
