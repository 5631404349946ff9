#!/usr/bin/env bash
# Builds and runs the benchmarks (not part of CI), installing their peer lua5.4 when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v lua5.4 >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y --no-install-recommends lua5.4 || { $SUDO apt-get update && $SUDO apt-get install -y --no-install-recommends lua5.4; }
fi
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
for bench in build/gcc/bench/bench_*; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
