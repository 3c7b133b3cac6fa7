# Sourced by the scripts that run the test suite: starts the private POP3
# servers the tests look for (Dovecot, Courier's pop3d, and Dovecot with
# TLS), each in a temporary folder of its own on an automatic port, exports
# the variables that point the tests at them, and stops them again.
#
#   . scripts/test-servers.sh
#   start_test_servers NAME      # NAME labels the temporary folders
#   stop_test_servers            # safe to call more than once
#
# Each stop ends only the processes named by its instance's pid files.

start_test_servers() {
  local label=${1:-tests}
  SERVER_DIR=$(mktemp -d "/tmp/pop3check-$label.XXXXXX")
  COURIER_DIR=$(mktemp -d "/tmp/pop3check-$label-courier.XXXXXX")
  TLS_DIR=$(mktemp -d "/tmp/pop3check-$label-tls.XXXXXX")
  export POP3CHECK_TEST_SERVER_DIR="$SERVER_DIR"
  export POP3CHECK_TEST_COURIER_DIR="$COURIER_DIR"
  export POP3CHECK_TEST_TLS_SERVER_DIR="$TLS_DIR"
  "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" --port auto start
  "$ROOT/scripts/pop3-server-courier.sh" --dir "$COURIER_DIR" --port auto start
  # Dovecot with TLS: STLS on its plain port, implicit TLS on a second one,
  # certificates from a test CA and one loopback address per certificate
  # fault.
  "$ROOT/scripts/pop3-server.sh" --dir "$TLS_DIR" --port auto --tls start
}

stop_test_servers() {
  [ -n "${SERVER_DIR:-}" ] && "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" stop >/dev/null 2>&1
  [ -n "${COURIER_DIR:-}" ] && "$ROOT/scripts/pop3-server-courier.sh" --dir "$COURIER_DIR" stop >/dev/null 2>&1
  [ -n "${TLS_DIR:-}" ] && "$ROOT/scripts/pop3-server.sh" --dir "$TLS_DIR" stop >/dev/null 2>&1
  return 0
}
