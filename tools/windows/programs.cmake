# The Windows programs. tirlane.exe is a windowed program (no console window
# opens beside the game) entered through SDL2main, and carries its icon, its
# version information and its manifest (tirlane.rc.in). The headless runner
# stays a console program with a main of its own.
enable_language(RC)

set(TIRLANE_ICON ${CMAKE_SOURCE_DIR}/dist/icons/tirlane.ico)
if(NOT EXISTS ${TIRLANE_ICON})
  message(FATAL_ERROR "The program's icon ${TIRLANE_ICON} is missing")
endif()
set(TIRLANE_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/tirlane.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tirlane.rc.in ${CMAKE_BINARY_DIR}/tirlane.rc @ONLY)

set_target_properties(tirlane PROPERTIES WIN32_EXECUTABLE TRUE)
# Shipped stripped, by the linker (strip itself would stamp the time in).
target_link_options(tirlane PRIVATE -s)
target_sources(tirlane PRIVATE ${CMAKE_BINARY_DIR}/tirlane.rc)
target_link_libraries(tirlane PRIVATE SDL2::SDL2main)
set_source_files_properties(${CMAKE_BINARY_DIR}/tirlane.rc PROPERTIES
  OBJECT_DEPENDS "${TIRLANE_ICON};${TIRLANE_MANIFEST}")

# For the Windows tests (tests/windows), not shipped: saves two records in
# turn until it is killed.
add_executable(tirlane-save-loop tests/windows/save_loop.cpp)
target_link_libraries(tirlane-save-loop PRIVATE tirlane_core)
