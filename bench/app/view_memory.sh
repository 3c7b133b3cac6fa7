#!/usr/bin/env bash
# The memory of the message view (bench/app/view_memory_bench): for each
# case, one large message in user01's mailbox on a private Dovecot, viewed
# through the real window offscreen (list, header view, body view, Esc).
# Cases (CASES, default "text textb64 base64 capped"):
#   text    a text/plain message of SIZE bytes (default 100,000,000)
#   base64  a short text and a Base64 attachment, SIZE bytes in all
#   textb64 a text/plain message of SIZE bytes whose body is sent in Base64
#   capped  a text/plain message of CAPPED_SIZE bytes (default 300,000,000),
#           past the retrieval's cap: the body fetch fails
# Usage: bench/app/view_memory.sh [BUILD_DIR]. Must be run as root (the
# server starts through scripts/pop3-server.sh).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
CASES=${CASES:-text textb64 base64 capped}
SIZE=${SIZE:-100000000}
CAPPED_SIZE=${CAPPED_SIZE:-300000000}
BENCH=$BUILD/bench/app/view_memory_bench
SERVER_SCRIPT=$ROOT/scripts/pop3-server.sh
[ -x "$BENCH" ] || { echo "view_memory.sh: $BENCH is missing; build the project first" >&2; exit 1; }

WORK=$(mktemp -d /tmp/pop3check-viewmem.XXXXXX)
chmod 755 "$WORK"  # the server reads its mail as an unprivileged user
STARTED=
cleanup() {
  [ -n "$STARTED" ] && "$SERVER_SCRIPT" --dir "$WORK/server" -q stop || true
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/server"
"$SERVER_SCRIPT" --dir "$WORK/server" --port auto --users 1 -q start
STARTED=1
port=$(cat "$WORK/server/port")
echo "# $(date -u +%FT%TZ) $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

for case in $CASES; do
  case $case in
    text)   kind=text size=$SIZE ;;
    base64) kind=base64 size=$SIZE ;;
    textb64) kind=textb64 size=$SIZE ;;
    capped) kind=text size=$CAPPED_SIZE ;;
    *) echo "view_memory.sh: unknown case $case" >&2; exit 2 ;;
  esac
  python3 "$HERE/large_message.py" "$kind" "$size" "$WORK/message.eml"
  bytes=$(stat -c %s "$WORK/message.eml")
  "$SERVER_SCRIPT" --dir "$WORK/server" -q reset user01
  "$SERVER_SCRIPT" --dir "$WORK/server" -q add-file user01 "$WORK/message.eml"
  rm -f "$WORK/message.eml"
  rm -rf "$WORK/home"
  mkdir -p -m 700 "$WORK/home"
  echo "# $case"
  HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/home" "$BENCH" "127.0.0.1:$port" user01 pass01 "$bytes"
done
