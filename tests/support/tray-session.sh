#!/usr/bin/env bash
# Runs a test program on a private X display that has a notification area:
# Xvfb, openbox (which minimises windows as a desktop does) and trayer (a
# system tray). The program runs with POP3CHECK_TEST_TRAY_SESSION set, which
# makes the window tests use that display instead of the offscreen one.
# Stops what it started by pid.
#
#   tests/support/tray-session.sh COMMAND...
set -euo pipefail
WORK=$(mktemp -d /tmp/pop3check-tray.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

# Polls with a bound: 10 s.
wait_for() {
  for _ in $(seq 1 200); do "$@" && return 0; sleep 0.05; done
  echo "tray-session: no answer within 10 s ($*)" >&2
  tail -n 5 "$WORK"/*.log >&2
  exit 1
}
x_ready() { xprop -root _NET_NONE >/dev/null 2>&1; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
# The tray's panel is shown once it holds the display's notification area.
tray_running() { xdotool search --onlyvisible --class trayer >/dev/null 2>&1; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
pids+=($!)
wait_for test -s "$WORK/display"
export DISPLAY=":$(tr -dc 0-9 < "$WORK/display")"
wait_for x_ready
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
pids+=($!)
wait_for wm_running
# Once in a stress run (every core busy) trayer did not show its panel
# within 10 s, and left no word why: it gets three tries of up to 30 s.
tray_up() {
  local pid=$1
  for _ in $(seq 1 600); do
    tray_running && return 0
    kill -0 "$pid" 2>/dev/null || { echo "tray-session: trayer exited at start" >&2; return 1; }
    sleep 0.05
  done
  return 1
}
for attempt in 1 2 3; do
  trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true >>"$WORK/trayer.log" 2>&1 &
  pids+=($!)
  tray_up $! && break
  [ "$attempt" = 3 ] && { echo "tray-session: no tray after three tries" >&2; tail -n 5 "$WORK"/*.log >&2; exit 1; }
done

POP3CHECK_TEST_TRAY_SESSION=1 "$@"
