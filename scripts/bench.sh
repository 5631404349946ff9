#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of CI), installing their peers lua5.4 and love when they
# are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
missing=()
for peer in lua5.4 love; do
  command -v "$peer" >/dev/null || missing+=("$peer")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}" ||
    { $SUDO apt-get update && $SUDO apt-get install -y --no-install-recommends "${missing[@]}"; }
fi
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
for bench in build/gcc/bench/bench_*; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
