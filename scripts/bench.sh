#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of CI), installing their peers lua5.4 and love when they
# are missing, then the games of bench/games/ against lua5.4 (scripts/bench_games.sh). Arguments go
# to the in-process benchmarks; the scenes are given the executable.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench_peers.sh
install_missing_peers lua5.4 love
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
# The scenes play the real executable; the others run in process and take their own arguments. The
# scenes write their games, logs and profiles into the folder they run from: a scratch one.
root=$PWD
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvaro-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
scenes=" bench_sprites bench_particles bench_tiles bench_text bench_movers bench_shapes "
for bench in build/gcc/bench/bench_*; do
  name=${bench##*/}
  echo "== $name"
  if [[ $scenes == *" $name "* ]]; then
    (cd "$scratch" && "$root/$bench" "$root/build/gcc/kelvaro")
  else
    "$bench" "$@"
  fi
done
BENCH_BUILD=build/gcc scripts/bench_games.sh
