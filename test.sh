#!/usr/bin/env bash
# Installs what the build and the tests need, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake pkg-config python3 iproute2 libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev
          libgtest-dev libbenchmark-dev clang-format xvfb xdotool imagemagick x11-utils
          clang libclang-rt-14-dev
          desktop-file-utils appstream mandoc man-db lintian dpkg-dev file fonts-dejavu-core
          libcpp-httplib-dev libsqlite3-dev libpq-dev nlohmann-json3-dev postgresql curl
          chromium nodejs)
tools/install-deps.sh "${packages[@]}"

# game/ and render/ stay free of SDL: they reach the platform only through
# the ports, its plain headers, which stay free of SDL too.
if grep -rnE '#\s*include\s*[<"]SDL' game render platform/ports; then
  echo "lint: an SDL include appears under game/, render/ or platform/ports/" >&2
  exit 1
fi
if grep -rnE '#\s*include\s*"platform/' game render | grep -v '"platform/ports/'; then
  echo "lint: game/ or render/ includes a platform header that is not a port" >&2
  exit 1
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# The browser build: the site built with emscripten (its libraries once, into
# the library cache). Before the suite, whose board test watches a run in it.
tools/web/build.sh build-web
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
ctest --test-dir build --output-on-failure -j"$(nproc)"

# The Windows zip, cross-built with its libraries cached outside the clone,
# then tested under Wine against the Linux runner built above.
tools/windows/build.sh build-win
bash tests/windows/run.sh build-win/tirlane-*-win64.zip build-win build/tirlane-headless

# The site played in headless Chromium (and Firefox ESR) against the runner.
bash tests/web/run.sh build-web/site build/tirlane-headless

# The hiscore and BMP fuzzers, a minute each, when clang is at hand.
if command -v clang++ >/dev/null; then
  bash tests/fuzz/run_fuzz.sh . build-fuzz "${TIRLANE_FUZZ_SECONDS:-60}"
else
  echo "fuzz: clang++ is not installed; skipping the fuzzers"
fi

# The same suite again on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer: every test, the end-to-end games, the fault
# folders and the long random soak, stopping at the first report. Its ctest
# summary closes the run.
bash tests/sanitizer/run_sanitized.sh . build-asan
