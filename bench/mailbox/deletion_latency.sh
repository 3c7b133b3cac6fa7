#!/usr/bin/env bash
# The deletion over a link with real latency: a mailbox of COUNT messages
# (default 100) on a private Dovecot and a private Courier pop3d, reached
# through bench/tools/latency-proxy adding DELAY_MS each way (default 25).
# For TICKED="10 100" of them, in the same run: the mailbox layer's deletion
# (deletion_bench: one log-in, the ticked rows found by their unique ids,
# the DELE commands pipelined where the server lists PIPELINING), Python's
# poplib in one session, curl with one process (and log-in) per message,
# and a raw pipelining client (the floor). The mailbox is filled afresh
# before every run. Prints each run's time and the median per client.
# Usage: bench/mailbox/deletion_latency.sh [BUILD_DIR]; RUNS=N (default 5),
# COUNT, DELAY_MS, TICKED, SERVERS="dovecot courier", PEERS="ours poplib
# curl raw". Must be run as root (the servers start through
# scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${RUNS:-5}
COUNT=${COUNT:-100}
DELAY_MS=${DELAY_MS:-25}
TICKED=${TICKED:-10 100}
SERVERS=${SERVERS:-dovecot courier}
PEERS=${PEERS:-ours poplib curl raw}
SERVER_SCRIPT=$ROOT/scripts/pop3-server.sh
BENCH=$BUILD/bench/mailbox/deletion_bench
[ -x "$BENCH" ] || { echo "deletion_latency.sh: $BENCH is missing; build the project first" >&2; exit 1; }

WORK=$(mktemp -d /tmp/pop3check-deletion.XXXXXX)
chmod 755 "$WORK"
. "$ROOT/bench/tools/latency-proxy.sh"
STARTED=()
cleanup() {
  stop_latency_proxy
  for dir in "${STARTED[@]}"; do "$SERVER_SCRIPT" --dir "$dir" -q stop || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

seconds() { sed -n 's/.* in \([0-9.]*\) s.*/\1/p' <<<"$1"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for server in $SERVERS; do
  dir=$WORK/$server
  mkdir -p "$dir"
  "$SERVER_SCRIPT" --server "$server" --dir "$dir" --port auto --users 1 -q start
  STARTED+=("$dir")
  port=$(cat "$dir/port")
  if [ "$DELAY_MS" != 0 ]; then
    start_latency_proxy "$port" "$DELAY_MS"
    port=$PROXY_PORT
  fi
  echo "# $server, $COUNT messages, $DELAY_MS ms each way, $RUNS runs"
  for ticked in $TICKED; do
    for peer in $PEERS; do
      times=()
      line=
      for _ in $(seq "$RUNS"); do
        "$SERVER_SCRIPT" --dir "$dir" -q reset user01
        "$SERVER_SCRIPT" --dir "$dir" -q add-messages user01 "$COUNT" --size 2048 --seed 1
        if [ "$peer" = ours ]; then
          line=$("$BENCH" "127.0.0.1:$port" user01 pass01 "$ticked")
        else
          line=$(python3 "$HERE/deletion_peers.py" "$peer" 127.0.0.1 "$port" user01 pass01 "$ticked")
        fi
        left=$("$SERVER_SCRIPT" --dir "$dir" -q count user01)
        [ "$left" -eq $((COUNT - ticked)) ] || { echo "$peer left $left messages, not $((COUNT - ticked))" >&2; exit 1; }
        times+=("$(seconds "$line")")
      done
      printf '  delete %3d: %-7s median %s s  runs %s  (%s)\n' "$ticked" "$peer" \
        "$(printf '%s\n' "${times[@]}" | median)" "${times[*]}" "$line"
    done
  done
  stop_latency_proxy
done
