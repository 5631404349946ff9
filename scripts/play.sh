#!/usr/bin/env bash
# Set-up, build, then play the bundled demo game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/gcc -G Ninja -DKELVARO_WERROR=ON >/dev/null
ninja -C build/gcc
demo=build/gcc/demo/data.win
if [ -x build/gcc/kelvaro ] && [ -f "$demo" ]; then
  exec build/gcc/kelvaro -game "$demo" "$@"
fi
echo "play: the build did not produce build/gcc/kelvaro and $demo" >&2
exit 1
