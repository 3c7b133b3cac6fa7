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
LOCK=/tmp/pop3check-x-start.lock
stop_pids() {
  for p in "$@"; do kill "$p" 2>/dev/null || true; done
  for p in "$@"; do wait "$p" 2>/dev/null || true; done
}
cleanup() {
  # An X server going away still holds its display for a moment: another
  # one starting then can take the same number and fail, so ending one is
  # done under the start lock too. (The servers never inherit the lock.)
  exec 9>"$LOCK"
  flock -w 120 9 || true
  stop_pids "${pids[@]}"
  rm -rf "$WORK"
}
trap cleanup EXIT

# poll SECONDS COMMAND...: true once COMMAND succeeds, false after SECONDS.
poll() {
  local seconds=$1; shift
  for _ in $(seq 1 $((seconds * 20))); do "$@" && return 0; sleep 0.05; done
  return 1
}
x_ready() { xprop -root _NET_NONE >/dev/null 2>&1; }
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
# The tray's panel is shown once it holds the display's notification area.
tray_running() { xdotool search --onlyvisible --class trayer >/dev/null 2>&1; }
alive() { kill -0 "$1" 2>/dev/null; }

# One try at the display: Xvfb, then openbox managing it, then trayer's
# panel; what it started is in pids. False when one of them does not come
# up within its bound.
start_display() {
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 9>&- >>"$WORK/xvfb.log" 2>&1 &
  pids+=($!)
  poll 10 test -s "$WORK/display" || return 1
  export DISPLAY=":$(tr -dc 0-9 < "$WORK/display")"
  poll 10 x_ready || return 1
  openbox --sm-disable 9>&- >>"$WORK/openbox.log" 2>&1 &
  pids+=($!)
  poll 10 wm_running || return 1
  trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true 9>&- \
    >>"$WORK/trayer.log" 2>&1 &
  local tray=$!
  pids+=($tray)
  poll 30 tray_running || return 1
}

# Two X servers starting at the same moment can spoil each other's display
# (its clients are refused), so servers started by these scripts come up
# one at a time, under a lock. Under a full load a display has still failed
# now and then (openbox refused, or trayer's panel never shown, with no word
# in any log): it gets three tries.
exec 9>"$LOCK"
flock -w 120 9 || { echo "tray-session: another X server start holds the lock" >&2; exit 1; }
for attempt in 1 2 3; do
  start_display && break
  echo "tray-session: try $attempt: the display did not come up" >&2
  tail -n 5 "$WORK"/*.log >&2 || true
  stop_pids "${pids[@]}"
  pids=()
  [ "$attempt" = 3 ] && exit 1
done
flock -u 9
exec 9>&-

POP3CHECK_TEST_TRAY_SESSION=1 "$@"
