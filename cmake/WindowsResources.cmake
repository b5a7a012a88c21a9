# launcher_add_windows_resources(target): embeds the application manifest
# (run as invoker; Windows 7 to 11 supported) and version information taken
# from the project's version.

function(launcher_add_windows_resources target)
  set(LAUNCHER_FILE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
  set(LAUNCHER_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/resources/launcher.manifest
                 ${LAUNCHER_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/resources/launcher.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  if(MSVC)
    # The manifest comes from the resource script; the linker's own would
    # be a second one.
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
