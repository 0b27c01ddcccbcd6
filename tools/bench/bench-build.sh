# The optimised build the measuring scripts use; source this file with
# source_dir set, then:
#
#   build_bench_game NAME   builds the game and the probe into build-bench/
#                           and sets build_dir and game: this tree's game, or
#                           the one TIRLANE_GAME names (the probe is always
#                           this tree's); NAME prefixes the error line
build_bench_game() {
    build_dir="$source_dir/build-bench"
    cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" >/dev/null
    cmake --build "$build_dir" -j"$(nproc)" --target tirlane tirlane-probe >/dev/null
    game="${TIRLANE_GAME:-$build_dir/tirlane}"
    [ -x "$game" ] || { echo "$1: no game at $game" >&2; exit 2; }
}
