#!/usr/bin/env bash
# Runs a test in a real window: an X server of its own (Xvfb) with a plain window manager (evilwm),
# which places windows itself and knows no "always on top", as many players' desktops do.
#     E2E_Window.sh [--screen WxH] [--no-wm] -- COMMAND [ARGS...]
# COMMAND sees DISPLAY, and E2E_SCREEN=WxH. Without Xvfb or evilwm the test says it was skipped and
# exits 77, which ctest reports as skipped.
set -u
screen=1280x800
wm=evilwm
while [ $# -gt 0 ]; do
  case $1 in
    --screen) screen=$2; shift 2 ;;
    --no-wm) wm=""; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done

for tool in Xvfb $wm; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed (scripts/setup.sh installs it); this window test did not run"
    exit 77
  fi
done

work=$(mktemp -d)
server=""
manager=""
cleanup() {
  [ -n "$manager" ] && kill "$manager" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display itself and writes its number when it is ready. Tests run side by
# side, and a server starting while another starts or ends can say a number it then does not serve;
# so servers start one at a time, and one that does not answer on its number is started again.
start_server() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display" 9>&- >"$work/xvfb.log" 2>&1 &
  server=$!
  for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
  # xprop (x11-utils) opens the display as any client would.
  ! command -v xprop >/dev/null 2>&1 || xprop -root -len 0 >/dev/null 2>&1
}
exec 9>/tmp/kelvaro-e2e-xvfb.lock
flock 9
started=""
for _ in 1 2 3; do
  if start_server; then started=1; break; fi
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  server=""
done
flock -u 9
exec 9>&-
if [ -z "$started" ]; then
  echo "E2E_Window: the X server did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export E2E_SCREEN=$screen

if [ -n "$wm" ]; then
  # The core font "fixed" is on every X server; evilwm's default font is not.
  "$wm" -fn fixed >"$work/wm.log" 2>&1 &
  manager=$!
  # The manager is ready once it has taken the root window's redirection; a window mapped
  # earlier would be placed without it.
  for _ in $(seq 100); do
    kill -0 "$manager" 2>/dev/null || break
    command -v xprop >/dev/null 2>&1 || { sleep 1; break; }
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
  if ! kill -0 "$manager" 2>/dev/null; then
    echo "E2E_Window: the window manager did not start on $DISPLAY:" >&2
    cat "$work/wm.log" >&2
    kill -0 "$server" 2>/dev/null || echo "E2E_Window: the X server has ended:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
fi

"$@"
status=$?
exit $status
