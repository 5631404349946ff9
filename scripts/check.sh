#!/usr/bin/env bash
# The quick day-to-day check: the g++ build and its tests, no set-up, no sanitizers, no fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
ctest --test-dir build/gcc -j"$(nproc)" --output-on-failure "$@"
