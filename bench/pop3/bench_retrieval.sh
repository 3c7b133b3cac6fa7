#!/usr/bin/env bash
# The retrieval benchmark: one message of about 10 MB with a 7 MiB Base64
# attachment on a private Dovecot instance, retrieved and extracted by
# bench_retrieval (FetchMessage) and by Python's poplib with the email
# package in the same run. Prints both lines, the ratio of the wall-time
# medians and both peak memory figures.
# Usage: bench/pop3/bench_retrieval.sh [BUILD_DIR]  (default build/; RUNS=N
# timed runs, default 7, each after one warm-up session). Must be run as
# root (it starts the Dovecot instance through scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BENCH_PROGRAM=bench_retrieval
. "$HERE/bench-server.sh"
mkdir "$DIR/message"
python3 "$HERE/bench_retrieval.py" make "$DIR/message"
"$SERVER" --dir "$DIR" -q add-file user01 "$DIR/message/big.eml"

ORIGINAL="$DIR/message/payload.bin"
ours=$("$BENCH" 127.0.0.1 "$PORT" user01 pass01 "$ORIGINAL" "$RUNS")
peer=$(python3 "$HERE/bench_retrieval.py" peer 127.0.0.1 "$PORT" user01 pass01 "$ORIGINAL" "$RUNS")
echo "$ours"
echo "$peer"
median() { sed -n 's/.*wall median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
awk -v a="$(median "$ours")" -v b="$(median "$peer")" \
  'BEGIN { printf "pop3check / poplib+email wall ratio: %.2f (below 1 = pop3check faster; %.1fx)\n", a / b, b / a }'
