#!/usr/bin/env bash
# Builds the game, the headless runner and every test with AddressSanitizer
# and UndefinedBehaviorSanitizer (the first report ends the program) and runs
# the whole suite on that build: unit tests, the end-to-end games, the fault
# folders and the long random soak.
#   run_sanitized.sh <source dir> <build dir>
# Every sanitizer report goes to a file of its own as well, so a report from a
# program whose output a test throws away still fails the run.
set -euo pipefail

src=$(realpath "$1")
build=$2
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags"
cmake --build "$build" -j"$(nproc)"
build=$(realpath "$build")

reports=$build/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports" # the read-only folder test runs the game as another user

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# Under Xvfb, Mesa's GL driver keeps allocations LeakSanitizer cannot see
# freed; the software renderer and framebuffer need no GL at all.
export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=software
# A report ends the program at once: the runner writes its trace line by line.
export TIRLANE_LINE_BUFFERED=1
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$src/tests/sanitizer/lsan.supp:print_suppressions=0"

# The allocation check counts calls by replacing malloc itself, which the
# sanitizers need for their own bookkeeping; the plain build runs it.
status=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" -E '^alloc\.' || status=$?

if compgen -G "$reports/*" >/dev/null; then
    echo "sanitized run: sanitizer reports:" >&2
    for report in "$reports"/*; do
        echo "--- $report" >&2
        head -60 "$report" >&2
    done
    status=1
fi
exit $status
