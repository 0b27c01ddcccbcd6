#!/usr/bin/env bash
# Installs what the build and the tests need, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config python3 libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
          libgtest-dev libbenchmark-dev clang-format xvfb xdotool imagemagick x11-utils)
tools/install-deps.sh "${packages[@]}"

# game/ and render/ stay free of SDL: they reach the platform through its plain headers.
if grep -rnE '#\s*include\s*[<"]SDL' game render; then
  echo "lint: an SDL include appears under game/ or render/" >&2
  exit 1
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir build --output-on-failure -j"$(nproc)"
