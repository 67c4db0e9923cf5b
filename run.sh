#!/usr/bin/env bash
# Sets everything up, builds the Release program and starts it.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSAROVIN_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
exec build/release/sarovin "$@"
