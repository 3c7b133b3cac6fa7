# Sourced by the POP3 benchmarks (run.sh, tls_run.sh, bench_retrieval.sh):
# takes the build folder from the script's first argument (default build/)
# and RUNS from the environment (default 7), checks that the benchmark
# program BENCH_PROGRAM (a target of bench/pop3) is built, and starts a
# private Dovecot instance with two users (user01 / pass01, user02 / pass02)
# on a free loopback port; with BENCH_TLS=1 it also speaks implicit TLS on
# TLS_PORT with certificates from the test CA in CA. Stops it on exit.
# Expects HERE (the benchmark folder); sets ROOT, BUILD, RUNS, BENCH,
# SERVER, DIR and PORT.
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${RUNS:-7}
BENCH=$BUILD/bench/pop3/$BENCH_PROGRAM
[ -x "$BENCH" ] || { echo "$(basename "$0"): $BENCH is missing; build the project first" >&2; exit 1; }

SERVER="$ROOT/scripts/pop3-server.sh"
DIR=$(mktemp -d /tmp/pop3check-bench.XXXXXX)
cleanup() { "$SERVER" --dir "$DIR" -q stop || true; rm -rf "$DIR"; }
trap cleanup EXIT
if [ "${BENCH_TLS:-0}" = 1 ]; then
  "$SERVER" --dir "$DIR" --port auto --tls --users 2 -q start
  TLS_PORT=$(cat "$DIR/tls-port"); CA=$DIR/tls/ca.pem
else
  "$SERVER" --dir "$DIR" --port auto --users 2 -q start
fi
PORT=$(cat "$DIR/port")
