#!/usr/bin/env bash
# Builds the libraries the game links, for 64-bit Windows, static, from
# Debian's own source packages (tools/deps/fetch-sources.sh): SDL2 with its
# Windows video, audio and Direct3D back ends, FreeType without zlib, PNG,
# bzip2, Brotli or HarfBuzz, SDL2_ttf, and SDL2_mixer with WAV alone.
#
#   tools/windows/build-libs.sh        prints the folder the libraries are in
#
# The build lands in the library cache (tools/deps/library-cache.sh) under
# win64/<compiler version>-<recipe hash>, so a second run, or a run from
# another clone, finds it ready; a new compiler or a changed recipe builds
# afresh beside the older one.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../deps/library-cache.sh"
toolchain="$here/mingw-w64-x86_64.cmake"
cxx=x86_64-w64-mingw32-g++-posix

command -v "$cxx" >/dev/null || { echo "build-libs: $cxx is missing (package g++-mingw-w64-x86-64-posix)" >&2; exit 1; }
for tool in cmake ninja; do
  command -v "$tool" >/dev/null || { echo "build-libs: $tool is missing" >&2; exit 1; }
done

src=$("$here/../deps/fetch-sources.sh")
source_dir() { echo "$src/$(cat "$src/$1.dir")"; }

# The key: the compiler's version, and a hash of this recipe, the toolchain
# file, the source versions and the exact compiler and runtime packages.
packages=$(dpkg-query -W -f='${Package} ${Version}\n' gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev 2>/dev/null || true)
compiler=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix 2>/dev/null | sed 's/-.*//' || true)
compiler=${compiler:-$("$cxx" -dumpfullversion)}
recipe=$({ cat "$0" "$toolchain" "$here/../deps/library-cache.sh"; cat "$src"/*.dir; echo "$packages"; } | sha256sum | cut -c1-12)
cache_begin win64 "gcc-$compiler-$recipe"
prefix=$CACHE_PREFIX

common=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DTIRLANE_WIN_PREFIX="$prefix"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$prefix"
  -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
)

# build NAME PACKAGE [CMAKE OPTIONS...]: configures, builds and installs one
# library.
configure_build_install() {
  local source=$1 build=$2
  shift 2
  cmake -S "$source" -B "$build" "${common[@]}" "$@" &&
    cmake --build "$build" -j"$(nproc)" && cmake --install "$build"
}
build() {
  local name=$1 package=$2
  shift 2
  echo "build-libs: building $name for Windows" >&2
  cache_step "$name" configure_build_install "$(source_dir "$package")" "$CACHE_WORK/$name" "$@"
}

build sdl2 libsdl2 \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
build freetype freetype \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
build sdl2-ttf libsdl2-ttf \
  -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF
build sdl2-mixer libsdl2-mixer \
  -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
  -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
  -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS= -DSDL2MIXER_WAVE=ON

cache_done
