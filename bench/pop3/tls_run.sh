#!/usr/bin/env bash
# The listing benchmark over implicit TLS: the summary check of 1,000
# messages of 2,048 bytes on a private Dovecot with TLS, by pop3_bench and by
# Python's poplib.POP3_SSL in the same run, and the same work in plaintext by
# both, for the CPU cost of TLS. Prints the four lines, the TLS wall ratio
# (pop3check / POP3_SSL) and each side's TLS / plaintext CPU ratio.
# Usage: bench/pop3/tls_run.sh [BUILD_DIR]  (RUNS=N, default 7). Run as root.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BENCH_PROGRAM=pop3_bench BENCH_TLS=1
. "$HERE/bench-server.sh"
"$SERVER" --dir "$DIR" -q add-messages user01 1000 --size 2048 --seed 1

ours_tls=$("$BENCH" 127.0.0.1 "$TLS_PORT" user01 pass01 "$RUNS" "tls:$CA")
peer_tls=$(python3 "$HERE/poplib_headers.py" 127.0.0.1 "$TLS_PORT" user01 pass01 "$RUNS" "tls:$CA")
ours_plain=$("$BENCH" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
peer_plain=$(python3 "$HERE/poplib_headers.py" 127.0.0.1 "$PORT" user01 pass01 "$RUNS")
printf '%s\n' "$ours_tls" "$peer_tls" "$ours_plain" "$peer_plain"
wall() { sed -n 's/.*wall median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
cpu() { sed -n 's/.*cpu median \([0-9.]*\)s.*/\1/p' <<<"$1"; }
awk -v a="$(wall "$ours_tls")" -v b="$(wall "$peer_tls")" \
  'BEGIN { printf "TLS: pop3check / POP3_SSL wall ratio: %.2f (below 1 = pop3check faster)\n", a / b }'
awk -v t="$(cpu "$ours_tls")" -v p="$(cpu "$ours_plain")" -v pt="$(cpu "$peer_tls")" -v pp="$(cpu "$peer_plain")" \
  'BEGIN { printf "CPU of TLS against plaintext: pop3check %.2fx (%.3fs vs %.3fs), poplib %.2fx\n", t / p, t, p, pt / pp }'
