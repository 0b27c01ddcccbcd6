# The game's sources, one list per platform, gathered by folder: every room
# of platform/ holds what all platforms share, and its posix/ or windows/
# folder the twins a platform swaps in; desktop/ and web/ are the front ends.
# Included by the main build (Linux, Windows) and by the browser's
# (platform/web/CMakeLists.txt); TIRLANE_ROOT names the source tree.
#
#   TIRLANE_SHARED_SOURCES   the game, its drawing, the platform's rooms
#   TIRLANE_LINUX_SOURCES    + the POSIX twins + the desktop window
#   TIRLANE_WINDOWS_SOURCES  + the Windows twins + the desktop window
#   TIRLANE_WEB_SOURCES      + the POSIX twins + the page
# The main functions are not in the lists: each program names its own.
set(TIRLANE_ROOMS graphics audio input settings storage replay session window)

set(TIRLANE_SHARED_SOURCES "")
file(GLOB TIRLANE_SHARED_SOURCES CONFIGURE_DEPENDS
  ${TIRLANE_ROOT}/game/*.cpp ${TIRLANE_ROOT}/render/*.cpp)
set(TIRLANE_POSIX_TWINS "")
set(TIRLANE_WINDOWS_TWINS "")
foreach(room ${TIRLANE_ROOMS})
  file(GLOB room_sources CONFIGURE_DEPENDS ${TIRLANE_ROOT}/platform/${room}/*.cpp)
  file(GLOB posix_twins CONFIGURE_DEPENDS ${TIRLANE_ROOT}/platform/${room}/posix/*.cpp)
  file(GLOB windows_twins CONFIGURE_DEPENDS ${TIRLANE_ROOT}/platform/${room}/windows/*.cpp)
  list(APPEND TIRLANE_SHARED_SOURCES ${room_sources})
  list(APPEND TIRLANE_POSIX_TWINS ${posix_twins})
  list(APPEND TIRLANE_WINDOWS_TWINS ${windows_twins})
endforeach()
# The runner's trace line, shared with the page's test mode.
list(APPEND TIRLANE_SHARED_SOURCES ${TIRLANE_ROOT}/tools/trace_line.cpp)

file(GLOB TIRLANE_DESKTOP_SOURCES CONFIGURE_DEPENDS ${TIRLANE_ROOT}/platform/desktop/*.cpp)
list(REMOVE_ITEM TIRLANE_DESKTOP_SOURCES ${TIRLANE_ROOT}/platform/desktop/main.cpp)
file(GLOB TIRLANE_PAGE_SOURCES CONFIGURE_DEPENDS ${TIRLANE_ROOT}/platform/web/*.cpp)

set(TIRLANE_LINUX_SOURCES ${TIRLANE_SHARED_SOURCES} ${TIRLANE_POSIX_TWINS} ${TIRLANE_DESKTOP_SOURCES})
set(TIRLANE_WINDOWS_SOURCES
  ${TIRLANE_SHARED_SOURCES} ${TIRLANE_WINDOWS_TWINS} ${TIRLANE_DESKTOP_SOURCES})
set(TIRLANE_WEB_SOURCES ${TIRLANE_SHARED_SOURCES} ${TIRLANE_POSIX_TWINS} ${TIRLANE_PAGE_SOURCES})
