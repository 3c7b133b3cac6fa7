# Sourced by the POP3 benchmarks: starts a private Dovecot instance with two
# users (user01 / pass01, user02 / pass02) on a free loopback port, and stops it on exit.
# Expects ROOT (the project folder); sets SERVER, DIR and PORT.
SERVER="$ROOT/scripts/pop3-server.sh"
DIR=$(mktemp -d /tmp/pop3check-bench.XXXXXX)
cleanup() { "$SERVER" --dir "$DIR" -q stop || true; rm -rf "$DIR"; }
trap cleanup EXIT
"$SERVER" --dir "$DIR" --port auto --users 2 -q start
PORT=$(cat "$DIR/port")
