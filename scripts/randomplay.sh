#!/usr/bin/env bash
# Random play on the clang sanitizer build for a chosen time (default 600 s): every game of the
# suite's list (the end-to-end games, the demo, a few fuzz corpora's game files) in turn, each with
# new seeds, until the time is spent; then the demo played 100,000 frames on the g++ build with the
# process's peak and final resident memory printed. A run that ends by a signal, a sanitizer report
# or a stall keeps its recording in tests/e2e/randomplay/ (GAME-SEED.rec), where the test suite
# replays it from then on. A play the game ended on an error of its own fails nothing, but the summary
# lists those endings apart, by game and message, with how many plays ended so.
#   scripts/randomplay.sh [SECONDS] [FRAMES_PER_PLAY]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
frames=${2:-1200}
memory_frames=${KELVARO_MEMORY_FRAMES:-100000}
for n in "$seconds" "$frames" "$memory_frames"; do
  case "$n" in ''|*[!0-9]*) echo "randomplay: '$n' is not a whole number" >&2; exit 2 ;; esac
done

CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DKELVARO_WERROR=ON -DKELVARO_SANITIZE=ON \
  -DKELVARO_FUZZ=ON -DKELVARO_BENCH=OFF >/dev/null
ninja -C build/asan kelvaro e2e_randomplay e2e_games demo_game
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc kelvaro e2e_randomplay demo_game

mapfile -t games < build/asan/tests/e2e/randomplay_games.txt
kept=tests/e2e/randomplay
work=build/randomplay
mkdir -p "$work"
own_errors=$work/own-errors.txt
: >"$own_errors"
# A leak ends a play as a failure like any other sanitizer report.
export ASAN_OPTIONS=detect_leaks=1
jobs=$(nproc)
plays=0 played_frames=0 failed=0 round=0
start=$SECONDS
# Rounds over every game, each round with the next block of seeds; the games of a round run in
# parallel, one process per core.
while [ $((SECONDS - start)) -lt "$seconds" ]; do
  round=$((round + 1))
  first=$((1000 + round * 4))
  seeds="$first-$((first + 3))"
  pids=()
  for entry in "${games[@]}"; do
    [ -n "$entry" ] || continue
    name=${entry%%|*} file=${entry#*|}
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 0.2; done
    build/asan/tests/e2e/e2e_randomplay build/asan/kelvaro "$file" "$work/$name" --seeds "$seeds" \
      --frames "$frames" --keep "$kept" --name "$name" >"$work/$name.out" 2>&1 &
    pids+=("$!:$name")
  done
  for p in "${pids[@]}"; do
    pid=${p%%:*} name=${p#*:}
    if ! wait "$pid"; then
      failed=$((failed + 1))
      grep -E '^(FAILED|  recording kept)' "$work/$name.out" || true
    fi
    grep '^OWN ERROR: ' "$work/$name.out" >>"$own_errors" || true
    plays=$((plays + 4))
    played_frames=$((played_frames + 4 * frames))
  done
  echo "randomplay: round $round (seeds $seeds) done, $plays plays, $played_frames frames, $failed failing games so far"
done
echo "randomplay: $plays plays of $frames frames ($played_frames frames) over ${#games[@]} games in $((SECONDS - start)) s;" \
  "$failed failing game rounds; kept recordings: $(find "$kept" -name '*.rec' 2>/dev/null | wc -l)"
echo "randomplay: $(wc -l <"$own_errors") plays ended on the game's own error (plays, game: exit code: message):"
sed -E 's/^OWN ERROR: ([^ ]+) seed [0-9]+: /\1: /' "$own_errors" | sort | uniq -c | sort -rn

if [ "$memory_frames" -gt 0 ]; then
  echo "=== the demo, $memory_frames frames of random input (g++ build)"
  build/gcc/tests/e2e/e2e_randomplay build/gcc/kelvaro build/gcc/demo/data.win "$work/memory" --memory \
    --seeds 7 --frames "$memory_frames" --timeout 7200
fi
[ "$failed" -eq 0 ]
