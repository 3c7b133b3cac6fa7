#!/usr/bin/env bash
# Runs a test program inside a private desktop session: meant to be started
# by dbus-run-session, which gives it a session bus of its own. Starts the
# scripted notification server (notification-server.py) and, with
# --keyring, GNOME Keyring's daemon with a fresh login keyring, unlocked, or
# with --silent-keyring a keyring that never answers (silent-keyring.py);
# waits until they are on the bus, runs the command with
# POP3CHECK_TEST_DESKTOP_SESSION set to "keyring", "silent-keyring" or
# "no-keyring", and stops what it started by pid.
#
#   dbus-run-session -- tests/support/desktop-session.sh [--keyring|--silent-keyring] COMMAND...
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "desktop-session: no session bus (run under dbus-run-session)" >&2; exit 1; }

mode=no-keyring
case "${1:-}" in
  --keyring) mode=keyring; shift ;;
  --silent-keyring) mode=silent-keyring; shift ;;
esac

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

has_name() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q "boolean true"
}
has_login_keyring() {
  dbus-send --session --print-reply --dest=org.freedesktop.secrets /org/freedesktop/secrets/collection/login \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.Secret.Collection string:Locked 2>/dev/null |
    grep -q "boolean false"
}
# Polls with a bound: 10 s.
wait_for() {
  for _ in $(seq 1 200); do "$@" && return 0; sleep 0.05; done
  echo "desktop-session: no answer on the bus within 10 s ($*)" >&2; exit 1
}

# Debian's own interpreter: the D-Bus bindings are its packages.
/usr/bin/python3 "$HERE/notification-server.py" & pids+=($!)
wait_for has_name org.freedesktop.Notifications

if [ "$mode" = keyring ]; then
  # The keyring's files go to a folder of its own, removed at the end.
  KEYRING_HOME=$(mktemp -d /tmp/pop3check-keyring.XXXXXX)
  trap 'cleanup; rm -rf "$KEYRING_HOME"' EXIT
  export XDG_DATA_HOME=$KEYRING_HOME XDG_RUNTIME_DIR=$KEYRING_HOME/run
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # --unlock reads the new login keyring's password from standard input.
  printf 'pop3check-test' | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
  pids+=($!)
  wait_for has_name org.freedesktop.secrets
  wait_for has_login_keyring
fi

if [ "$mode" = silent-keyring ]; then
  /usr/bin/python3 "$HERE/silent-keyring.py" & pids+=($!)
  wait_for has_name org.freedesktop.secrets
fi

POP3CHECK_TEST_DESKTOP_SESSION=$mode "$@"
