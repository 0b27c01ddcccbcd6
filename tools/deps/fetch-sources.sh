#!/usr/bin/env bash
# Fetches Debian's own source packages of the libraries the game links (SDL2,
# SDL2_mixer, SDL2_ttf, FreeType) for the cross builds (the browser and
# Windows), unpacked into the library cache, without touching the machine's
# apt set-up: a private deb-src twin of the archives the machine already uses,
# with private lists, handed to apt-get with -o options.
#
#   tools/deps/fetch-sources.sh            prints the cache's source folder
#
# The cache is $TIRLANE_CACHE, by default ~/.cache/tirlane; a second run finds
# the sources there and fetches nothing.
set -euo pipefail

cache="${TIRLANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tirlane}"
src="$cache/src"
packages=(libsdl2 libsdl2-mixer libsdl2-ttf freetype)

all_there() {
  for p in "${packages[@]}"; do [ -f "$src/$p.dir" ] || return 1; done
}
if all_there; then
  echo "$src"
  exit 0
fi
# One fetch at a time (clones share the cache); whoever waited finds the
# sources there.
mkdir -p "$cache"
exec 8>"$cache/.src.lock"
flock 8
if all_there; then
  echo "$src"
  exit 0
fi

for tool in apt-get dpkg-source; do
  command -v "$tool" >/dev/null || { echo "fetch-sources: $tool is missing (package dpkg-dev)" >&2; exit 1; }
done

apt_dir="$cache/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$src"
list="$apt_dir/sources.list"
: >"$list"

# The machine's binary archives, as deb-src: one-line entries...
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]\+/deb-src /p' "$f" >>"$list"
done
# ...and deb822 stanzas, turned into one-line entries.
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk '
    function flush() {
      if (types ~ /(^| )deb( |$)/ && uris != "" && enabled != "no") {
        n = split(uris, u, " "); m = split(suites, s, " ")
        for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) {
          opts = signed != "" ? "[signed-by=" signed "] " : ""
          print "deb-src " opts u[i] " " s[j] " " comps
        }
      }
      types = uris = suites = comps = signed = enabled = ""
    }
    /^[[:space:]]*#/ { next }
    /^[[:space:]]*$/ { flush(); next }
    {
      key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^ /, "")
      if (key == "types") types = $0
      else if (key == "uris") uris = $0
      else if (key == "suites") suites = $0
      else if (key == "components") comps = $0
      else if (key == "signed-by") signed = $0
      else if (key == "enabled") enabled = tolower($0)
    }
    END { flush() }
  ' "$f" >>"$list"
done
if ! [ -s "$list" ]; then
  echo "fetch-sources: found no Debian archive in /etc/apt to take the sources from" >&2
  exit 1
fi

apt_opts=(
  -o "Dir::Etc::SourceList=$list"
  -o "Dir::Etc::SourceParts=$apt_dir/parts"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)"
)
apt-get "${apt_opts[@]}" -qq update

work="$src/.download"
rm -rf "$work"
mkdir -p "$work"
for p in "${packages[@]}"; do
  [ -f "$src/$p.dir" ] && continue
  (cd "$work" && apt-get "${apt_opts[@]}" -qq source --download-only "$p" >/dev/null)
  dsc=$(ls "$work"/"$p"_*.dsc | head -n 1)
  dir_name=$(basename "$dsc" .dsc | sed 's/_\([^_]*\)$/-\1/; s/-\([0-9]*:\)\?\([^-]*\)-[^-]*$/-\2/')
  rm -rf "${src:?}/$dir_name"
  dpkg-source --no-check -x "$dsc" "$src/$dir_name" >/dev/null
  echo "$dir_name" >"$src/$p.dir"
done
rm -f "$src"/*.orig*.tar.* # dpkg-source copies the upstream tarballs beside the tree
rm -rf "$work"
echo "$src"
