#!/usr/bin/env bash
# Builds the game for 64-bit Windows on this Debian machine and packs the
# zip a player unpacks and double-clicks:
#
#   tools/windows/build.sh [BUILD_DIR]        (default: build-win)
#
# makes BUILD_DIR/tirlane-<version>-win64.zip, holding one folder with
# tirlane.exe (static: it needs no DLL beyond Windows' own), the pictures,
# sounds and font, README.txt, LICENSE.txt and the libraries' licences. The
# headless runner and the save loop of the tests are built beside it, not
# packed. The libraries come from the cache (build-libs.sh); installs what it
# needs first.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build-win}")
here="$root/tools/windows"

"$root/tools/install-deps.sh" g++-mingw-w64-x86-64-posix cmake ninja-build dpkg-dev zip

prefix=$("$here/build-libs.sh")

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
  -DTIRLANE_WIN_PREFIX="$prefix" \
  -DCMAKE_BUILD_TYPE=Release \
  -DTIRLANE_TESTS=OFF >/dev/null ||
  { echo "build: configuring the Windows build failed" >&2; exit 1; }
cmake --build "$build" -j"$(nproc)" --target tirlane tirlane-headless tirlane-save-loop ||
  { echo "build: compiling for Windows failed" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "build: no project version in $build/CMakeCache.txt" >&2; exit 1; }
name="tirlane-$version-win64"
stage="$build/zip/$name"
rm -rf "$build/zip"
mkdir -p "$stage/licences"

cp "$build/tirlane.exe" "$stage/"
# The pictures, sounds and font sit beside the program (the icons are inside it).
find "$root/assets" -maxdepth 1 -type f -exec cp {} "$stage/" \;
# Text files for Notepad: CR LF line ends.
sed 's/$/\r/' "$root/README.md" >"$stage/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"

# The licences of what is linked into tirlane.exe: each library's full
# copyright file from its Debian source package, and the compiler's runtime.
src=$("$root/tools/deps/fetch-sources.sh")
licence() { sed 's/$/\r/' "$2" >"$stage/licences/$1.txt"; }
licence SDL2 "$src/$(cat "$src/libsdl2.dir")/debian/copyright"
licence SDL2_ttf "$src/$(cat "$src/libsdl2-ttf.dir")/debian/copyright"
licence SDL2_mixer "$src/$(cat "$src/libsdl2-mixer.dir")/debian/copyright"
licence FreeType "$src/$(cat "$src/freetype.dir")/docs/FTL.TXT"
licence MinGW-w64-runtime /usr/share/doc/mingw-w64-x86-64-dev/copyright
licence GCC-runtime /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright
sed 's/$/\r/' >"$stage/licences/README.txt" <<'EOF'
Tirlane itself is under the MIT licence (LICENSE.txt beside the game).
tirlane.exe holds these libraries, linked in statically:

  SDL2, SDL2_ttf and SDL2_mixer (zlib licence)     SDL2.txt, SDL2_ttf.txt, SDL2_mixer.txt
  FreeType, under the FreeType License (FTL)        FreeType.txt
  the MinGW-w64 runtime and winpthreads             MinGW-w64-runtime.txt
  the GCC runtime libraries (with the GCC Runtime
  Library Exception)                                GCC-runtime.txt

Portions of this software are copyright (C) 2022 The FreeType Project
(www.freetype.org). All rights reserved.

The font's licence is font-LICENSE.txt, beside the game.
EOF

# The same sources give the same zip: fixed times, a fixed order, no extra
# file attributes.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
find "$build/zip" -exec touch -h -d "@$stamp" {} +
zip_file="$build/$name.zip"
rm -f "$build"/tirlane-*-win64.zip
(cd "$build/zip" && find "$name" | LC_ALL=C sort | zip -q -X -9 "$zip_file" -@)
echo "$zip_file"
