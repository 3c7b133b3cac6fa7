#!/usr/bin/env bash
# Months in the tray, in one process (bench/app/soak_bench): the real window,
# offscreen, checks a mailbox of 20 messages on a private Dovecot CHECKS
# times (default 10,000) and views the newest one, which carries a small
# Base64 attachment, VIEWS times (default 1,000); prints the resident memory
# and the open descriptors after WARMUP checks (default 500) and every 1,000
# checks after, and the growth against the goal (64 KiB, no descriptor).
# Usage: bench/app/soak.sh [BUILD_DIR]. Must be run as root (the server
# starts through scripts/pop3-server.sh). Takes about ten minutes.
# HEAPTRACK=FILE runs the program under heaptrack into FILE.zst, ending it
# without its teardown, so that what heaptrack_print calls "leaked" is what
# the process held at the end; `heaptrack_print -f B.zst -d A.zst` then shows
# what a longer run B holds beyond a shorter run A.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
BUILD=${1:-$ROOT/build}
CHECKS=${CHECKS:-10000}
VIEWS=${VIEWS:-1000}
WARMUP=${WARMUP:-500}
BENCH=$BUILD/bench/app/soak_bench
SERVER_SCRIPT=$ROOT/scripts/pop3-server.sh
[ -x "$BENCH" ] || { echo "soak.sh: $BENCH is missing; build the project first" >&2; exit 1; }

WORK=$(mktemp -d /tmp/pop3check-soak.XXXXXX)
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
"$SERVER_SCRIPT" --dir "$WORK/server" -q add-messages user01 19 --size 2048 --seed 1
# The newest message, listed first: a short text and a 3 KB attachment.
python3 - "$WORK/notes.eml" <<'PY'
import base64, random, sys
data = bytes(random.Random(1).randrange(256) for _ in range(3000))
body = base64.encodebytes(data).decode().replace("\n", "\r\n")
lines = ["From: Notes <notes@example.com>", "To: user01@example.com", "Subject: Meeting notes attached",
         "Date: Mon, 07 Dec 2026 10:00:00 +0000", "MIME-Version: 1.0",
         'Content-Type: multipart/mixed; boundary="b1"', "", "--b1", "Content-Type: text/plain", "",
         "The notes are attached.", "--b1", "Content-Type: application/octet-stream",
         "Content-Transfer-Encoding: base64", 'Content-Disposition: attachment; filename="notes.bin"', ""]
with open(sys.argv[1], "w", newline="") as out:
    out.write("\r\n".join(lines) + "\r\n" + body + "--b1--\r\n")
PY
"$SERVER_SCRIPT" --dir "$WORK/server" -q add-file user01 "$WORK/notes.eml"
mkdir -p -m 700 "$WORK/home"
echo "# $(date -u +%FT%TZ) $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
wrap=()
if [ -n "${HEAPTRACK:-}" ]; then
  wrap=(env SOAK_SKIP_TEARDOWN=1 heaptrack -o "$HEAPTRACK")
fi
HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/home" "${wrap[@]}" "$BENCH" "127.0.0.1:$port" user01 pass01 notes.bin \
  "$CHECKS" "$VIEWS" "$WARMUP"
echo "# load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
