#!/usr/bin/env bash
# Script speed as a player sees it: each game of bench/games/ is built with gamebuild and played
# headless by the real executable, beside lua5.4 running the same algorithm (the game's peer.lua),
# best of five runs each. Each side times its own workload and reports it on a line "time <µs>"
# before its answer (the game with get_timer, a wall clock; Lua with os.clock, its process's CPU
# time, the only finer clock plain Lua has: the two agree on a quiet machine only), so the process
# start-up, which varies by tens of milliseconds from run to run, is not in the ratio; the whole
# runs' times less the "empty" game's and peer's are printed beside them. A workload GAME:VARIANT plays
# the same game against another peer, bench/games/GAME/peer_VARIANT.lua. With valgrind, the instructions of each side
# under callgrind are counted too (ours: the create event's run; Lua's: the whole run less the empty
# one's), which does not depend on how loaded the machine is. Not part of CI.
#
#   scripts/bench_games.sh [WORKLOAD...]     (default: fib loop strings array expr ivars ivars:fields index)
#   BENCH_ROUNDS=N        runs per side (5)
#   BENCH_CALLGRIND=0     no instruction counts
#   BENCH_BUILD=DIR       an existing build tree, not built again
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench_peers.sh
peers=(lua5.4)
[ "${BENCH_CALLGRIND:-1}" = 0 ] || peers+=(valgrind)
install_missing_peers "${peers[@]}"

build=${BENCH_BUILD:-}
if [ -z "$build" ]; then
  build=build/gcc
  cmake -S . -B "$build" -G Ninja -DKELVARO_WERROR=ON >/dev/null
  ninja -C "$build" kelvaro gamebuild >/dev/null
fi
rounds=${BENCH_ROUNDS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
workloads=("$@")
[ ${#workloads[@]} -gt 0 ] || workloads=(fib loop strings array expr ivars ivars:fields index)
counting=0
[ "${BENCH_CALLGRIND:-1}" != 0 ] && command -v valgrind >/dev/null && counting=1

# The seconds of one run of a command, its standard output going to "$work/stdout".
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >"$work/stdout" 2>"$work/stderr"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

# The game's answer (the last line its script log holds).
play() {
  rm -f "$work/out.log"
  env KELVARO_HEADLESS=1 KELVARO_MAX_FRAMES=2 KELVARO_NO_WAIT=1 XDG_DATA_HOME="$work/xdg" \
    "$@" -output "$work/out.log" -game "$work/${game%%:*}.win"
}
ours() { play "$build/kelvaro"; }
# The Lua peer of a workload: peer.lua, or peer_VARIANT.lua for GAME:VARIANT.
peer() { local variant=${1#*:}; [ "$variant" = "$1" ] && echo "bench/games/$1/peer.lua" || echo "bench/games/${1%%:*}/peer_$variant.lua"; }
lua() { lua5.4 "$(peer "$game")"; }

# The microseconds a side reported for its own workload on its "time" line.
reported() { awk '$1 == "time" { t = $2 } END { print t + 0 }' "$1"; }

# The best of the rounds' whole-run times of a side; the best time it reported itself goes to
# "$work/inrun", its answer to "$work/answer".
best() {
  local side=$1 best="" time inrun="" own output
  for ((round = 0; round < rounds; ++round)); do
    time=$(seconds "$side")
    if [ -z "$best" ] || [ "$(echo "$time < $best" | bc -l)" = 1 ]; then best=$time; fi
    if [ "$side" = ours ]; then output="$work/out.log"; else output="$work/stdout"; fi
    own=$(reported "$output")
    if [ -z "$inrun" ] || [ "$own" -lt "$inrun" ]; then inrun=$own; fi
  done
  tail -n 1 "$output" >"$work/answer"
  echo "$inrun" >"$work/inrun"
  echo "$best"
}

# Instructions under callgrind: our create event's run, or the whole Lua run.
count() {
  local side=$1 out="$work/callgrind.out"
  rm -f "$out"
  if [ "$side" = ours ]; then
    # A script runs through VM_Exec, an event's handler through its kept prepared run.
    play valgrind --tool=callgrind --collect-atstart=no --toggle-collect='VM_Exec(*' \
      --toggle-collect='VM_ExecPrepared(*' --callgrind-out-file="$out" "$build/kelvaro" >/dev/null 2>&1
  else
    valgrind --tool=callgrind --callgrind-out-file="$out" lua5.4 "$(peer "$game")" >/dev/null 2>&1
  fi
  awk '/^totals:/ { print $2 }' "$out"
}

for game in empty "${workloads[@]}"; do
  "$build/tools/gamebuild" "bench/games/${game%%:*}" -o "$work/${game%%:*}.win" >/dev/null
done

game=empty
emptyOurs=$(best ours)
emptyLua=$(best lua)
if [ $counting = 1 ]; then
  emptyOursCount=$(count ours)
  emptyLuaCount=$(count lua)
fi

printf '%-8s %10s %10s %8s %12s %12s %14s %14s %8s  %s\n' workload kelvaro "lua 5.4" ratio "whole runs" "(less start)" \
  "kelvaro Ir" "lua Ir" "Ir ratio" answers
for game in "${workloads[@]}"; do
  timeOurs=$(best ours)
  answerOurs=$(cat "$work/answer")
  inrunOurs=$(cat "$work/inrun")
  timeLua=$(best lua)
  answerLua=$(cat "$work/answer")
  inrunLua=$(cat "$work/inrun")
  agree=DIFFER
  [ "$(echo "$answerOurs == $answerLua" | bc -l)" = 1 ] && agree=agree
  netOurs=$(echo "$timeOurs - $emptyOurs" | bc -l)
  netLua=$(echo "$timeLua - $emptyLua" | bc -l)
  ratio=-
  [ "$inrunOurs" -gt 0 ] && [ "$inrunLua" -gt 0 ] && ratio=$(printf '%.2f' "$(echo "$inrunOurs / $inrunLua" | bc -l)")
  irOurs=- irLua=- irRatio=-
  if [ $counting = 1 ]; then
    irOurs=$(($(count ours) - emptyOursCount))
    irLua=$(($(count lua) - emptyLuaCount))
    irRatio=$(printf '%.2f' "$(echo "$irOurs / $irLua" | bc -l)")
  fi
  printf '%-8s %9.3fs %9.3fs %7sx %5.3fs/%5.3fs %14s %14s %7sx  %s (%s)\n' "$game" \
    "$(echo "$inrunOurs / 1000000" | bc -l)" "$(echo "$inrunLua / 1000000" | bc -l)" "$ratio" "$netOurs" "$netLua" \
    "$irOurs" "$irLua" "$irRatio" "$agree" "$answerOurs"
done
echo "(kelvaro and lua 5.4: the best of $rounds times each side reported for its workload; whole runs: the best" \
  "whole run less the empty game's or program's start-up, $(printf '%.3fs' "$emptyOurs") and $(printf '%.3fs' "$emptyLua"))"
