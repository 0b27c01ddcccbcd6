# The Windows build's libraries: SDL2, SDL2_ttf (with FreeType) and
# SDL2_mixer from their own static CMake packages (build-libs.sh), and the
# compiler's C++ runtime and threads linked in too, so the programs need no
# DLL beyond Windows' own.
find_package(SDL2 2.26 REQUIRED CONFIG)
find_package(SDL2_ttf REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)
# The platform files' own Windows calls: the timer resolution (winmm) and the
# player's folder (shell32, ole32, uuid).
set(SDL_TARGETS SDL2_ttf::SDL2_ttf-static SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static
  winmm shell32 ole32 uuid)
# No link time stamped into the programs: the same sources make the same zip.
add_link_options(-static -Wl,--no-insert-timestamp)
