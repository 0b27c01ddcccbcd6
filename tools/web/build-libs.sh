#!/usr/bin/env bash
# Builds the libraries the game links (SDL2, FreeType, SDL2_ttf, SDL2_mixer)
# for the browser with emscripten, from Debian's own source packages, into
# the library cache, and prints the folder they were installed in (include/
# and lib/ inside it).
#
#   tools/web/build-libs.sh
#
# The folder is $CACHE/web/<emscripten version>-<recipe hash>: a later run
# with the same compiler and this same script finds it and builds nothing; a
# changed recipe builds afresh beside the old one. Needs emcc on PATH and the
# sources fetched by tools/deps/fetch-sources.sh.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
cache="${TIRLANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tirlane}"

command -v emcc >/dev/null || { echo "build-libs: emcc is missing (package emscripten)" >&2; exit 1; }
src=$("$here/../deps/fetch-sources.sh")
dir_of() { echo "$src/$(cat "$src/$1.dir")"; }
sdl_src=$(dir_of libsdl2)
ft_src=$(dir_of freetype)
ttf_src=$(dir_of libsdl2-ttf)
mixer_src=$(dir_of libsdl2-mixer)

em_version=$(emcc -dumpversion)
recipe=$( (cat "$0"; basename -a "$sdl_src" "$ft_src" "$ttf_src" "$mixer_src") | sha256sum | cut -c1-12)
prefix="$cache/web/emscripten-$em_version-$recipe"
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# Emscripten's tools run on node; Debian's emscripten finds its node modules
# there even when the node on PATH is another one.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
jobs=$(nproc)
work="$prefix.build"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix/include/SDL2" "$prefix/lib"

log="$work/build.log"
run() {
  if ! "$@" >>"$log" 2>&1; then
    echo "build-libs: failed: $* (see $log)" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
}
echo "build-libs: building the browser's libraries into $prefix (log: $log)" >&2

# SDL2: static, no threads; only the parts the game uses. The window is a
# plain framebuffer on the page's canvas, so no renderer and no GL.
run emcmake cmake -S "$sdl_src" -B "$work/sdl" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_THREADS=OFF -DSDL_RENDER=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_HAPTIC=OFF \
  -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_HIDAPI=OFF -DSDL2_DISABLE_SDL2MAIN=ON
run cmake --build "$work/sdl" -j"$jobs"
run cmake --install "$work/sdl"

# FreeType: only what SDL2_ttf needs to read a TrueType file.
run emcmake cmake -S "$ft_src" -B "$work/freetype" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
run cmake --build "$work/freetype" -j"$jobs"
run cmake --install "$work/freetype"

cflags=(-O2 -I"$prefix/include/SDL2" -I"$prefix/include/freetype2")

# SDL2_ttf is one source file.
run emcc "${cflags[@]}" -c "$ttf_src/SDL_ttf.c" -o "$work/SDL_ttf.o"
run emar rcs "$prefix/lib/libSDL2_ttf.a" "$work/SDL_ttf.o"
cp "$ttf_src/SDL_ttf.h" "$prefix/include/SDL2/"

# SDL2_mixer for sound chunks alone: the game's cues are WAV files, which
# its chunk loader reads itself; no music decoder.
mixer_objs=()
for f in mixer music utils effect_position effect_stereoreverse effects_internal \
         codecs/load_aiff codecs/load_voc; do
  obj="$work/mixer-$(basename "$f").o"
  run emcc "${cflags[@]}" -I"$mixer_src/include" -I"$mixer_src/src" \
    -I"$mixer_src/src/codecs" -c "$mixer_src/src/$f.c" -o "$obj"
  mixer_objs+=("$obj")
done
run emar rcs "$prefix/lib/libSDL2_mixer.a" "${mixer_objs[@]}"
cp "$mixer_src/include/SDL_mixer.h" "$prefix/include/SDL2/"

rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
