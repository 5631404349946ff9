#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of CI), installing their peers lua5.4 and love when they
# are missing, then the games of bench/games/ against lua5.4 (scripts/bench_games.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench_peers.sh
install_missing_peers lua5.4 love
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
for bench in build/gcc/bench/bench_*; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
BENCH_BUILD=build/gcc scripts/bench_games.sh
