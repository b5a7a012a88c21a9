# launcher_set_warnings(target): the project's warning level, as errors when
# LAUNCHER_WARNINGS_AS_ERRORS is on (the presets turn it on).

option(LAUNCHER_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" ON)

function(launcher_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
    if(LAUNCHER_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
      -Wold-style-cast -Wnon-virtual-dtor)
    if(LAUNCHER_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
