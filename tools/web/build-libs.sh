#!/usr/bin/env bash
# Builds the libraries the game links (SDL2, FreeType, SDL2_ttf, SDL2_mixer)
# for the browser with emscripten, from Debian's own source packages, into
# the library cache, and prints the folder they were installed in (include/
# and lib/ inside it).
#
#   tools/web/build-libs.sh
#
# The build lands in the library cache (tools/deps/library-cache.sh) under
# web/<emscripten version>-<recipe hash>: a later run with the same compiler
# and this same script finds it and builds nothing; a changed recipe builds
# afresh beside the older one. Needs emcc on PATH and the sources
# fetched by tools/deps/fetch-sources.sh.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../deps/library-cache.sh"

command -v emcc >/dev/null || { echo "build-libs: emcc is missing (package emscripten)" >&2; exit 1; }
src=$("$here/../deps/fetch-sources.sh")
dir_of() { echo "$src/$(cat "$src/$1.dir")"; }
sdl_src=$(dir_of libsdl2)
ft_src=$(dir_of freetype)
ttf_src=$(dir_of libsdl2-ttf)
mixer_src=$(dir_of libsdl2-mixer)

em_version=$(emcc -dumpversion)
recipe=$( (cat "$0" "$here/../deps/library-cache.sh"; basename -a "$sdl_src" "$ft_src" "$ttf_src" "$mixer_src") | sha256sum | cut -c1-12)
cache_begin web "emscripten-$em_version-$recipe"
prefix=$CACHE_PREFIX
work=$CACHE_WORK
mkdir -p "$prefix/include/SDL2" "$prefix/lib"

# Emscripten's tools run on node; Debian's emscripten finds its node modules
# there even when the node on PATH is another one.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
jobs=$(nproc)
echo "build-libs: building the browser's libraries into $prefix" >&2

# SDL2: static, no threads; only the parts the game uses. The window is a
# plain framebuffer on the page's canvas, so no renderer and no GL.
cache_step sdl2-configure emcmake cmake -S "$sdl_src" -B "$work/sdl" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
  -DSDL_THREADS=OFF -DSDL_RENDER=OFF -DSDL_OPENGL=OFF -DSDL_OPENGLES=OFF -DSDL_HAPTIC=OFF \
  -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_HIDAPI=OFF -DSDL2_DISABLE_SDL2MAIN=ON
cache_step sdl2-build cmake --build "$work/sdl" -j"$jobs"
cache_step sdl2-install cmake --install "$work/sdl"

# FreeType: only what SDL2_ttf needs to read a TrueType file.
cache_step freetype-configure emcmake cmake -S "$ft_src" -B "$work/freetype" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON \
  -DFT_DISABLE_PNG=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cache_step freetype-build cmake --build "$work/freetype" -j"$jobs"
cache_step freetype-install cmake --install "$work/freetype"

cflags=(-O2 -I"$prefix/include/SDL2" -I"$prefix/include/freetype2")

# SDL2_ttf is one source file.
cache_step sdl2-ttf-compile emcc "${cflags[@]}" -c "$ttf_src/SDL_ttf.c" -o "$work/SDL_ttf.o"
cache_step sdl2-ttf-archive emar rcs "$prefix/lib/libSDL2_ttf.a" "$work/SDL_ttf.o"
cp "$ttf_src/SDL_ttf.h" "$prefix/include/SDL2/"

# SDL2_mixer for sound chunks alone: the game's cues are WAV files, which
# its chunk loader reads itself; no music decoder.
mixer_objs=()
for f in mixer music utils effect_position effect_stereoreverse effects_internal \
         codecs/load_aiff codecs/load_voc; do
  obj="$work/mixer-$(basename "$f").o"
  cache_step "sdl2-mixer-$(basename "$f")" emcc "${cflags[@]}" -I"$mixer_src/include" -I"$mixer_src/src" \
    -I"$mixer_src/src/codecs" -c "$mixer_src/src/$f.c" -o "$obj"
  mixer_objs+=("$obj")
done
cache_step sdl2-mixer-archive emar rcs "$prefix/lib/libSDL2_mixer.a" "${mixer_objs[@]}"
cp "$mixer_src/include/SDL_mixer.h" "$prefix/include/SDL2/"

cache_done
