#!/usr/bin/env bash
# Installs what the game needs, builds it, and starts it from build/run.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libgtest-dev
          libcpp-httplib-dev libsqlite3-dev libpq-dev nlohmann-json3-dev)
tools/install-deps.sh "${packages[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tirlane runfolder
cd build/run
exec ../tirlane "$@"
