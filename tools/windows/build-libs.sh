#!/usr/bin/env bash
# Builds the libraries the game links, for 64-bit Windows, static, from
# Debian's own source packages (tools/deps/fetch-sources.sh): SDL2 with its
# Windows video, audio and Direct3D back ends, FreeType without zlib, PNG,
# bzip2, Brotli or HarfBuzz, SDL2_ttf, and SDL2_mixer with WAV alone.
#
#   tools/windows/build-libs.sh        prints the folder the libraries are in
#
# The build lands in $CACHE/win64/<compiler version>-<recipe hash>/prefix
# ($CACHE as in fetch-sources.sh), so a second run, or a run from another
# clone, finds it ready; a new compiler or a changed recipe builds afresh and
# the older builds are removed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache="${TIRLANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tirlane}"
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
recipe=$({ cat "$0" "$toolchain"; cat "$src"/*.dir; echo "$packages"; } | sha256sum | cut -c1-12)
root="$cache/win64"
out="$root/gcc-$compiler-$recipe"
prefix="$out/prefix"

if [ -f "$out/done" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$root"
# One build at a time; whoever waited finds the finished one.
exec 9>"$root/.lock"
flock 9
if [ -f "$out/done" ]; then
  echo "$prefix"
  exit 0
fi
rm -rf "$out"
mkdir -p "$out/logs"

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
# library; its output goes to a log, shown when it fails.
build() {
  local name=$1 package=$2
  shift 2
  local log="$out/logs/$name.log" started=$SECONDS
  echo "build-libs: building $name for Windows" >&2
  if ! { cmake -S "$(source_dir "$package")" -B "$out/build/$name" "${common[@]}" "$@" &&
         cmake --build "$out/build/$name" -j"$(nproc)" &&
         cmake --install "$out/build/$name"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build-libs: building $name failed (log: $log)" >&2
    exit 1
  fi
  echo "build-libs: $name built in $((SECONDS - started)) s" >&2
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

rm -rf "$out/build"
touch "$out/done"
# Builds of an older compiler or recipe are of no further use.
for old in "$root"/gcc-*; do
  [ "$old" = "$out" ] || rm -rf "$old"
done
echo "$prefix"
