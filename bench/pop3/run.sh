#!/usr/bin/env bash
# The listing benchmark: one session that lists 1,000 messages of 2,048 bytes
# on a private Dovecot instance and fetches every summary (TOP n 0 and LIST n
# each), run by pop3_bench and by Python's poplib against the same mailbox in
# the same run. Prints both lines and the ratio of the wall-time medians.
# Then the same session over a second mailbox of 1,000 messages whose
# senders and subjects are all encoded words, without and with decoding
# them (and reading the date) as the list does, and the share decoding
# adds; beside it Python's decode_header + make_header doing the same.
# Usage: bench/pop3/run.sh [BUILD_DIR]  (default build/; RUNS=N timed runs,
# default 7, each after one warm-up session). Must be run as root (it starts
# the Dovecot instance through scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BENCH_PROGRAM=pop3_bench
. "$HERE/bench-server.sh"
"$SERVER" --dir "$DIR" -q add-messages user01 1000 --size 2048 --seed 1
POP3CHECK_ENCODED_HEADERS=1 "$SERVER" --dir "$DIR" -q add-messages user02 1000 --size 2048 --seed 2

ours=$("$BENCH" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
peer=$(python3 "$HERE/poplib_headers.py" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
echo "$ours"
echo "$peer"
median() { sed -n 's/.*wall median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
awk -v a="$(median "$ours")" -v b="$(median "$peer")" \
  'BEGIN { printf "pop3check / poplib wall ratio: %.2f (below 1 = pop3check faster)\n", a / b }'

plain=$("$BENCH" 127.0.0.1 "$PORT" user02 pass02 "$RUNS")
decoding=$("$BENCH" 127.0.0.1 "$PORT" user02 pass02 "$RUNS" decode)
python_decoding=$(python3 "$HERE/python_decode_headers.py" 127.0.0.1 "$PORT" user02 pass02 "$RUNS")
echo "$plain"
echo "$decoding"
echo "$python_decoding"
cpu() { sed -n 's/.*cpu median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
awk -v a="$(median "$plain")" -v b="$(median "$decoding")" -v c="$(cpu "$plain")" -v d="$(cpu "$decoding")" \
  'BEGIN { printf "decoding 1,000 encoded summaries adds %.1f %% wall, %.1f %% cpu to the check\n", (b - a) / a * 100, (d - c) / c * 100 }'
