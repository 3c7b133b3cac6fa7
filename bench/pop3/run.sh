#!/usr/bin/env bash
# The listing benchmark: one session that lists 1,000 messages of 2,048 bytes
# on a private Dovecot instance and fetches every summary (TOP n 0 and LIST n
# each), run by pop3_bench and by Python's poplib against the same mailbox in
# the same run. Prints both lines and the ratio of the wall-time medians.
# Usage: bench/pop3/run.sh [BUILD_DIR]  (default build/; RUNS=N timed runs,
# default 7, each after one warm-up session). Must be run as root (it starts
# the Dovecot instance through scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${RUNS:-7}
BENCH=$BUILD/bench/pop3/pop3_bench
[ -x "$BENCH" ] || { echo "run.sh: $BENCH is missing; build the project first" >&2; exit 1; }

. "$HERE/bench-server.sh"
"$SERVER" --dir "$DIR" -q add-messages user01 1000 --size 2048 --seed 1

ours=$("$BENCH" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
peer=$(python3 "$HERE/poplib_headers.py" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
echo "$ours"
echo "$peer"
median() { sed -n 's/.*wall median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
awk -v a="$(median "$ours")" -v b="$(median "$peer")" \
  'BEGIN { printf "pop3check / poplib wall ratio: %.2f (below 1 = pop3check faster)\n", a / b }'
