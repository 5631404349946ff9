#!/usr/bin/env bash
# Fuzzes one target (by name, e.g. GameFile or GameFile_fuzz) or all of them for a chosen time each
# (default 60 s), on the clang sanitizer build. What the fuzzer learns stays in build/fuzz/<target>/;
# inputs that crash, leak or hang are kept in build/fuzz/<target>-artifacts/ and copied into the
# target's seed corpus, where the test suite replays them from then on.
#   scripts/fuzz.sh [TARGET] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-}
seconds=${2:-60}
case "$seconds" in ''|*[!0-9]*) echo "fuzz: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;; esac

CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DKELVARO_WERROR=ON -DKELVARO_SANITIZE=ON \
  -DKELVARO_FUZZ=ON >/dev/null
ninja -C build/asan

if [ -n "$target" ]; then
  fuzzers=("build/asan/${target%_fuzz}_fuzz")
  if [ ! -x "${fuzzers[0]}" ]; then
    echo "fuzz: no target ${target%_fuzz}_fuzz; there are:" >&2
    find build/asan -maxdepth 1 -type f -name '*_fuzz' -perm -u+x -printf '  %f\n' | sort >&2
    exit 2
  fi
else
  mapfile -t fuzzers < <(find build/asan -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
fi

found=0
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus=$(find tests -type d -path "*/fuzz/${name%_fuzz}_corpus" | head -n 1)
  work="build/fuzz/$name"
  artifacts="build/fuzz/$name-artifacts"
  mkdir -p "$work" "$artifacts"
  echo "=== $name for $seconds s (learned inputs: $work, failures: $artifacts)"
  status=0
  "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=3 \
    -artifact_prefix="$PWD/$artifacts/" "$work" ${corpus:+"$corpus"} || status=$?
  # Every failing input becomes a regression seed of the target's corpus.
  for artifact in "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-*; do
    [ -f "$artifact" ] || continue
    if [ -z "$corpus" ]; then
      corpus="$(dirname "$(find tests -name "$name.cpp" | head -n 1)")/${name%_fuzz}_corpus"
      mkdir -p "$corpus"
    fi
    seed="$corpus/regression_$(basename "$artifact")"
    if [ ! -f "$seed" ]; then
      cp "$artifact" "$seed"
      echo "--- $name: failing input kept as $seed"
      found=$((found + 1))
    fi
  done
  [ "$status" -eq 0 ] || echo "--- $name stopped with status $status"
done
echo "fuzz: $found new regression seed(s)"
[ "$found" -eq 0 ]
