#!/usr/bin/env bash
# Script speed as a player sees it: each game of bench/games/ is built with gamebuild and played
# headless by the real executable, beside lua5.4 running the same algorithm (the game's peer.lua),
# best of five whole runs each. The "empty" game and peer are the start-up, taken off both sides'
# times before the ratio. With valgrind, the instructions of each side under callgrind are counted
# too (ours: the create event's run; Lua's: the whole run less the empty one's), which does not
# depend on how loaded the machine is. Not part of CI.
#
#   scripts/bench_games.sh [WORKLOAD...]     (default: fib loop strings array)
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
[ ${#workloads[@]} -gt 0 ] || workloads=(fib loop strings array)
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
    "$@" -output "$work/out.log" -game "$work/$game.win"
}
ours() { play "$build/kelvaro"; }
lua() { lua5.4 "bench/games/$game/peer.lua"; }

# The best of the rounds' times of a side; its answer goes to "$work/answer".
best() {
  local side=$1 best="" time
  for ((round = 0; round < rounds; ++round)); do
    time=$(seconds "$side")
    if [ -z "$best" ] || [ "$(echo "$time < $best" | bc -l)" = 1 ]; then best=$time; fi
  done
  if [ "$side" = ours ]; then tail -n 1 "$work/out.log"; else tail -n 1 "$work/stdout"; fi >"$work/answer"
  echo "$best"
}

# Instructions under callgrind: our create event's run, or the whole Lua run.
count() {
  local side=$1 out="$work/callgrind.out"
  rm -f "$out"
  if [ "$side" = ours ]; then
    play valgrind --tool=callgrind --collect-atstart=no --toggle-collect='VM_Exec(*' \
      --callgrind-out-file="$out" "$build/kelvaro" >/dev/null 2>&1
  else
    valgrind --tool=callgrind --callgrind-out-file="$out" lua5.4 "bench/games/$game/peer.lua" >/dev/null 2>&1
  fi
  awk '/^totals:/ { print $2 }' "$out"
}

for game in empty "${workloads[@]}"; do
  "$build/tools/gamebuild" "bench/games/$game" -o "$work/$game.win" >/dev/null
done

game=empty
emptyOurs=$(best ours)
emptyLua=$(best lua)
if [ $counting = 1 ]; then
  emptyOursCount=$(count ours)
  emptyLuaCount=$(count lua)
fi

printf '%-8s %10s %10s %14s %14s %8s %8s  %s\n' workload kelvaro "lua 5.4" "kelvaro Ir" "lua Ir" ratio "Ir ratio" answers
for game in "${workloads[@]}"; do
  timeOurs=$(best ours)
  answerOurs=$(cat "$work/answer")
  timeLua=$(best lua)
  answerLua=$(cat "$work/answer")
  agree=DIFFER
  [ "$(echo "$answerOurs == $answerLua" | bc -l)" = 1 ] && agree=agree
  netOurs=$(echo "$timeOurs - $emptyOurs" | bc -l)
  netLua=$(echo "$timeLua - $emptyLua" | bc -l)
  # Below 5 ms of work on either side the start-up's noise decides: no ratio.
  ratio=-
  if [ "$(echo "$netOurs > 0.005 && $netLua > 0.005" | bc -l)" = 1 ]; then
    ratio=$(printf '%.2f' "$(echo "$netOurs / $netLua" | bc -l)")
  fi
  irOurs=- irLua=- irRatio=-
  if [ $counting = 1 ]; then
    irOurs=$(($(count ours) - emptyOursCount))
    irLua=$(($(count lua) - emptyLuaCount))
    irRatio=$(printf '%.2f' "$(echo "$irOurs / $irLua" | bc -l)")
  fi
  printf '%-8s %9.3fs %9.3fs %14s %14s %7sx %7sx  %s (%s)\n' "$game" "$netOurs" "$netLua" "$irOurs" "$irLua" \
    "$ratio" "$irRatio" "$agree" "$answerOurs"
done
echo "(times: best of $rounds whole runs less the empty game's or program's start-up:" \
  "$(printf '%.3fs' "$emptyOurs") and $(printf '%.3fs' "$emptyLua"))"
