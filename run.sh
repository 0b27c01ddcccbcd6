#!/usr/bin/env bash
# Installs what the game needs, builds it, and starts it from build/run.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libgtest-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target tirlane runfolder
cd build/run
exec ../tirlane "$@"
