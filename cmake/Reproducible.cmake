# Builds that depend only on the sources: the same commit gives the same
# launcher.exe byte for byte, in whatever folder it is built.
#  - no source or build paths in the objects (assertions, __FILE__, debug
#    information);
#  - no link time stamp in the PE header (MinGW's ld inserts one by default).
# The code itself uses no __DATE__ or __TIME__.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
endif()

if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
