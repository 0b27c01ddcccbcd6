#!/usr/bin/env bash
# Installs the Debian packages named as arguments that are not installed yet
# (through sudo when not root). Used by run.sh and test.sh.
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
# Another installation running at the same moment (a second build script)
# is waited for rather than failed on.
lock=(-o DPkg::Lock::Timeout=900)
$SUDO apt-get "${lock[@]}" update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get "${lock[@]}" install -y -qq "${missing[@]}"
