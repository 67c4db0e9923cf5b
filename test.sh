#!/usr/bin/env bash
# Sets everything up, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole suite headless. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps test

build=${SAROVIN_TEST_BUILD:-build/test}
jobs=$(nproc)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSAROVIN_SANITIZE=ON \
      -DSAROVIN_TESTS=ON -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build "$build" -j "$jobs"

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
# Leak reports of the system's own libraries (fontconfig, the GL loaders) drown
# real ones; memory errors and undefined behaviour still stop the run.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300

# The fuzz targets replay their seed corpora (built with clang in their own tree).
scripts/fuzz-replay
