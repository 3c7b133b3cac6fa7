#!/usr/bin/env bash
# Runs a command in a private Wayland session: Weston with its headless
# back end (no screen, no input devices) on a private XDG_RUNTIME_DIR, with
# WAYLAND_DISPLAY set and DISPLAY unset, so that a Qt program started by
# the command takes the Wayland platform plug-in. Weston's desktop shell
# has no notification area. Stops Weston by its pid.
#
#   tests/support/wayland-session.sh COMMAND...
set -euo pipefail
RUNTIME=$(mktemp -d /tmp/pop3check-wayland.XXXXXX)
chmod 700 "$RUNTIME"
weston_pid=
cleanup() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
  rm -rf "$RUNTIME"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$RUNTIME
unset DISPLAY
SOCKET=pop3check-wayland
weston --backend=headless-backend.so --socket="$SOCKET" --idle-time=0 >"$RUNTIME/weston.log" 2>&1 &
weston_pid=$!
# Polls with a bound: 20 s.
for _ in $(seq 1 400); do
  [ -S "$RUNTIME/$SOCKET" ] && break
  kill -0 "$weston_pid" 2>/dev/null || { echo "wayland-session: weston ended:" >&2; cat "$RUNTIME/weston.log" >&2; exit 1; }
  sleep 0.05
done
[ -S "$RUNTIME/$SOCKET" ] || { echo "wayland-session: no Wayland socket within 20 s" >&2; cat "$RUNTIME/weston.log" >&2; exit 1; }

WAYLAND_DISPLAY=$SOCKET QT_QPA_PLATFORM=wayland "$@"
