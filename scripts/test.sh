#!/usr/bin/env bash
# The whole suite, as CI runs it: set-up, a g++ build running every test, a clang build with
# AddressSanitizer and UndefinedBehaviorSanitizer running the unit tests, the malformed-input corpora
# and the end-to-end games marked for it, then a fixed budget of live fuzzing. Prints each phase's time.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
fuzz_seconds=${KELVARO_FUZZ_SECONDS:-180}
passed=0
failed=0
skipped=0
start_all=$SECONDS

phase_start() { phase_name=$1; phase_t0=$SECONDS; echo "=== $phase_name"; }
phase_end() { echo "=== $phase_name: $((SECONDS - phase_t0)) s"; }

# Runs ctest and adds its counts to the totals.
run_ctest() {
  local log
  log=$(mktemp)
  local status=0
  ctest --test-dir "$1" -j"$jobs" --output-on-failure --timeout 600 "${@:2}" 2>&1 | tee "$log" || status=$?
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    # A test that could not run here (a window test without an X server) is skipped, not passed.
    local none
    none=$(grep -cE '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log" || true)
    passed=$((passed + total - bad - none))
    failed=$((failed + bad))
    skipped=$((skipped + none))
  fi
  rm -f "$log"
  return $status
}

phase_start "set-up"
scripts/setup.sh
phase_end

phase_start "g++ build"
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
phase_end

phase_start "g++ tests"
# Random play looks for memory faults, which only the sanitizer build shows.
run_ctest build/gcc -LE randomplay
phase_end

phase_start "clang sanitizer build"
# The benchmarks are not run under the sanitizers: the g++ build has them.
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DKELVARO_WERROR=ON -DKELVARO_SANITIZE=ON \
  -DKELVARO_FUZZ=ON -DKELVARO_BENCH=OFF >/dev/null
ninja -C build/asan
phase_end

phase_start "sanitizer tests"
# Unit tests, corpus replays and the end-to-end games labelled for the sanitizer run.
run_ctest build/asan -L 'unit|fuzz|asan'
phase_end

phase_start "live fuzzing (${fuzz_seconds} s in all)"
mapfile -t fuzzers < <(find build/asan -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
if [ ${#fuzzers[@]} -gt 0 ] && [ "$fuzz_seconds" -gt 0 ]; then
  each=$((fuzz_seconds / ${#fuzzers[@]}))
  [ "$each" -lt 1 ] && each=1
  for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    corpus=$(find tests -type d -path "*/fuzz/${name%_fuzz}_corpus" | head -n 1)
    work=$(mktemp -d)
    echo "--- $name for $each s"
    if "$fuzzer" -max_total_time="$each" -print_final_stats=0 -close_fd_mask=3 "$work" ${corpus:+"$corpus"} \
        >"$work.log" 2>&1; then
      passed=$((passed + 1))
    else
      tail -n 40 "$work.log"
      failed=$((failed + 1))
    fi
    rm -rf "$work" "$work.log"
  done
else
  echo "no fuzz targets"
fi
phase_end

echo "=== all phases: $((SECONDS - start_all)) s"
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
