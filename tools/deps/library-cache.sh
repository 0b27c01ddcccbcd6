# The library cache the cross builds share (the browser's and Windows'
# libraries), sourced by their build-libs.sh:
#
#   cache_begin KIND NAME   the build's folder is $CACHE/KIND/NAME (NAME holds
#                           the compiler's version and a hash of the recipe),
#                           the libraries installed in its prefix/; when it
#                           is complete, prints that prefix and exits 0;
#                           otherwise takes the lock of KIND, so that one
#                           build runs at a time (clones sharing the cache
#                           included), and sets CACHE_OUT to a fresh folder
#                           with CACHE_PREFIX and CACHE_WORK (for the
#                           builds) inside it
#   cache_step LABEL CMD…   runs one step with its output in a log of its
#                           own, shown when the step fails (which ends the
#                           script)
#   cache_done              marks the build complete, removes its work
#                           folder and prints the prefix
#
# $CACHE is $TIRLANE_CACHE, by default ~/.cache/tirlane. A build is made
# under its kind's lock: whoever waited for the lock finds the finished build
# and builds nothing. A complete build is never removed or touched again, so
# another clone still building with it (an older recipe) keeps it whole; old
# builds are removed by hand (rm -rf ~/.cache/tirlane/KIND/OLD) when no build
# runs.
CACHE="${TIRLANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tirlane}"

cache_begin() {
  local kind=$1 name=$2
  CACHE_KIND="$CACHE/$kind"
  CACHE_OUT="$CACHE_KIND/$name"
  CACHE_PREFIX="$CACHE_OUT/prefix"
  CACHE_WORK="$CACHE_OUT/build"
  CACHE_LOGS="$CACHE_OUT/logs"
  [ -f "$CACHE_OUT/.complete" ] && { echo "$CACHE_PREFIX"; exit 0; }
  mkdir -p "$CACHE_KIND"
  exec 9>"$CACHE_KIND/.lock"
  flock 9
  [ -f "$CACHE_OUT/.complete" ] && { echo "$CACHE_PREFIX"; exit 0; }
  rm -rf "$CACHE_OUT"
  mkdir -p "$CACHE_PREFIX" "$CACHE_WORK" "$CACHE_LOGS"
}

cache_step() {
  local label=$1 started=$SECONDS
  shift
  local log="$CACHE_LOGS/$label.log"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "build-libs: $label failed (log: $log)" >&2
    exit 1
  fi
  echo "build-libs: $label done in $((SECONDS - started)) s" >&2
}

cache_done() {
  rm -rf "$CACHE_WORK"
  touch "$CACHE_OUT/.complete"
  echo "$CACHE_PREFIX"
}
