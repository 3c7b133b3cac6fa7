#!/usr/bin/env bash
# The summary check over a link with real latency: a mailbox of COUNT
# messages of 2,048 bytes (default 100) on a private Dovecot and a private
# Courier pop3d, reached through bench/tools/latency-proxy adding DELAY_MS
# each way (default 25: a 50 ms round trip). For each server, in the same
# run: the window's check driven offscreen (click to last row filled),
# pop3_bench's summary walk (the check's conversation), the same walk one
# command at a time (the conversation with a server that does not list
# PIPELINING; both test servers list it), pop3_bench calling
# FetchSummary one by one (the conversation before pipelining), Python's
# poplib, curl, mpop and a raw pipelined client (the floor). Prints one line
# per measurement and the ratios of the medians.
# Usage: bench/pop3/latency.sh [BUILD_DIR]; RUNS=N timed runs (default 5),
# COUNT, DELAY_MS, SERVERS="dovecot courier", PEERS="window walk walk1
# single poplib curl mpop raw". Must be run as root (the servers start through
# scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${RUNS:-5}
COUNT=${COUNT:-100}
DELAY_MS=${DELAY_MS:-25}
SERVERS=${SERVERS:-dovecot courier}
PEERS=${PEERS:-window walk walk1 single poplib curl mpop raw}
SERVER_SCRIPT=$ROOT/scripts/pop3-server.sh
for tool in "$BUILD/bench/pop3/pop3_bench" "$BUILD/bench/app/window_bench"; do
  [ -x "$tool" ] || { echo "latency.sh: $tool is missing; build the project first" >&2; exit 1; }
done

WORK=$(mktemp -d /tmp/pop3check-latency.XXXXXX)
chmod 755 "$WORK"  # the servers read their mail as an unprivileged user
. "$ROOT/bench/tools/latency-proxy.sh"
STARTED=()
cleanup() {
  stop_latency_proxy
  for dir in "${STARTED[@]}"; do "$SERVER_SCRIPT" --dir "$dir" -q stop || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

median() { sed -n 's/.*wall median \([0-9.]*\)s.*/\1/p' <<<"$1"; }

# measure NAME COMMAND...: runs it, prints its line, keeps its median.
declare -A MEDIAN
measure() {
  local name=$1 line
  shift
  line=$("$@")
  echo "  $line"
  MEDIAN[$name]=$(median "$line")
}

ratio() {  # ratio A B: A's median over B's
  awk -v a="${MEDIAN[$1]:-0}" -v b="${MEDIAN[$2]:-0}" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "n/a" }'
}

for server in $SERVERS; do
  dir=$WORK/$server
  mkdir -p "$dir"
  "$SERVER_SCRIPT" --server "$server" --dir "$dir" --port auto --users 1 -q start
  STARTED+=("$dir")
  "$SERVER_SCRIPT" --dir "$dir" -q add-messages user01 "$COUNT" --size 2048 --seed 1
  port=$(cat "$dir/port")
  capa=$(python3 -c 'import poplib,sys; p=poplib.POP3("127.0.0.1",int(sys.argv[1])); p.user("user01"); p.pass_("pass01"); c=p.capa(); p.quit(); print("lists PIPELINING" if "PIPELINING" in c else "does not list PIPELINING")' "$port")
  if [ "$DELAY_MS" != 0 ]; then
    start_latency_proxy "$port" "$DELAY_MS"
    port=$PROXY_PORT
  fi
  echo "# $server ($capa after log-in), $COUNT messages of 2048 bytes, $DELAY_MS ms each way, $RUNS runs"
  MEDIAN=()
  for peer in $PEERS; do
    case $peer in
      window) mkdir -p -m 700 "$WORK/home"; measure window env HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/home" "$BUILD/bench/app/window_bench" "127.0.0.1:$port" user01 pass01 "$RUNS" ;;
      walk)   measure walk "$BUILD/bench/pop3/pop3_bench" 127.0.0.1 "$port" user01 pass01 "$RUNS" walk ;;
      walk1)  measure walk1 "$BUILD/bench/pop3/pop3_bench" 127.0.0.1 "$port" user01 pass01 "$RUNS" walk1 ;;
      single) measure single "$BUILD/bench/pop3/pop3_bench" 127.0.0.1 "$port" user01 pass01 "$RUNS" single ;;
      poplib) measure poplib python3 "$HERE/poplib_headers.py" 127.0.0.1 "$port" user01 pass01 "$RUNS" ;;
      *)      measure "$peer" python3 "$HERE/peers.py" "$peer" 127.0.0.1 "$port" user01 pass01 "$RUNS" ;;
    esac
  done
  echo "  ratios: walk/poplib $(ratio walk poplib), walk/raw $(ratio walk raw), mpop/walk $(ratio mpop walk)," \
       "walk1/poplib $(ratio walk1 poplib), window/poplib $(ratio window poplib), window/raw $(ratio window raw)," \
       "single/poplib $(ratio single poplib)"
  stop_latency_proxy
done
