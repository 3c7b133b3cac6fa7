#!/usr/bin/env bash
# Runs a test program with a private system bus that carries a scripted
# logind and NetworkManager (system-services.py): meant to be started by
# dbus-run-session, whose private bus it hands to the program as its
# system bus (DBUS_SYSTEM_BUS_ADDRESS), so that the machine's own system
# bus is never touched. Waits until both names are on the bus, runs the
# command with POP3CHECK_TEST_SYSTEM_BUS=scripted, and stops the service by
# its pid.
#
#   dbus-run-session -- tests/support/system-session.sh COMMAND...
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] || { echo "system-session: no private bus (run under dbus-run-session)" >&2; exit 1; }
export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS

pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null || true; }
trap cleanup EXIT

has_name() {
  dbus-send --system --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q "boolean true"
}
# Polls with a bound: 10 s.
wait_for() {
  for _ in $(seq 1 200); do "$@" && return 0; sleep 0.05; done
  echo "system-session: no answer on the bus within 10 s ($*)" >&2; exit 1
}

# Debian's own interpreter: the D-Bus bindings are its packages.
/usr/bin/python3 "$HERE/system-services.py" & pid=$!
wait_for has_name org.freedesktop.login1
wait_for has_name org.freedesktop.NetworkManager

POP3CHECK_TEST_SYSTEM_BUS=scripted "$@"
