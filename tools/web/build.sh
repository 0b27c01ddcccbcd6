#!/usr/bin/env bash
# Builds the game for the browser into BUILD_DIR/site/ (default build-web): our
# page, the JS, the wasm and the preloaded assets, a folder any static web
# server can serve. Installs emscripten and what fetching Debian's library
# sources needs; the libraries are built once into the library cache
# (tools/web/build-libs.sh), so later builds only compile the game.
#
#   tools/web/build.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-web}"

tools/install-deps.sh emscripten dpkg-dev cmake make python3
# Debian's emscripten runs its tools on node with Debian's node modules.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

libs=$(tools/web/build-libs.sh)
mkdir -p "$build"
if ! emcmake cmake -S platform/web -B "$build" -DTIRLANE_WEB_LIBS="$libs" >"$build/configure.log" 2>&1; then
  cat "$build/configure.log" >&2
  echo "web: configuring the browser build failed" >&2
  exit 1
fi
cmake --build "$build" -j"$(nproc)"
echo "web: the site is in $build/site"
