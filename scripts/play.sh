#!/usr/bin/env bash
# Set-up, build what playing needs (the engine, the game builder and the demo; the tests are built by
# scripts/test.sh and scripts/check.sh), then play the bundled demo game. Without a display the demo
# plays a few seconds offscreen and the picture of its last second is written as a PNG.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc kelvaro demo_game
demo=build/gcc/demo/data.win
if [ ! -x build/gcc/kelvaro ] || [ ! -f "$demo" ]; then
  echo "play: the build did not produce build/gcc/kelvaro and $demo" >&2
  exit 1
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/gcc/kelvaro -game "$demo" "$@"
fi

frames=${KELVARO_PLAY_FRAMES:-150}
capture="$PWD/build/gcc/play-capture.png"
rm -f "$capture"
echo "play: no display (DISPLAY and WAYLAND_DISPLAY are unset): playing $frames frames offscreen"
KELVARO_HEADLESS=1 KELVARO_MAX_FRAMES="$frames" KELVARO_CAPTURE="$((frames - 1)):$capture" \
  build/gcc/kelvaro -game "$demo" "$@"
if [ -f "$capture" ]; then
  echo "play: the picture of frame $((frames - 1)) is in $capture"
else
  echo "play: the demo wrote no picture to $capture" >&2
  exit 1
fi
