#!/usr/bin/env bash
# demo.sh -- a demo mailbox on this machine, for trying the program without
# a mail account: the project's private Dovecot (scripts/pop3-server.sh) on
# 127.0.0.1 and a free port, its user01 filled with a dozen varied messages
# (one with a picture attached), and a demo home whose settings name that
# server, user01 and its saved password. Only the program started by `run`
# sees the demo home (HOME points there for it alone), so a real
# ~/pop3/pop3.ini is never read or touched.
#
#   demo.sh run PROGRAM [ARGS...]   start the mailbox, run PROGRAM with
#                                   HOME=the demo home, stop the mailbox
#                                   when PROGRAM ends; exits with its status
#   demo.sh start                   start the mailbox and leave it running
#   demo.sh stop                    stop the mailbox that `start` left running
#
# Every start fills the mailbox and writes the settings afresh. The demo
# home is $POP3CHECK_DEMO_DIR/home (default ~/.cache/pop3check-demo/home);
# the data folder with extracted attachments is its pop3/. The server runs
# in a folder of its own below /tmp, removed again by the stop. Dovecot's
# private instance must be started as root.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
DEMO_DIR=${POP3CHECK_DEMO_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/pop3check-demo}
DEMO_HOME=$DEMO_DIR/home
STATE=$DEMO_DIR/server-dir
USER_NAME=user01
PASSWORD=pass01

say() { echo "demo: $*"; }
die() { echo "demo: error: $*" >&2; exit 1; }
usage() { sed -n '2,/^set -e/{/^set -e/d;s/^# \{0,1\}//;p}' "$0"; }

need_root() {
    [ "$(id -u)" = 0 ] && return 0
    die "the demo mailbox is a private Dovecot POP3 server, which has to be started as root
(it runs as an instance of its own, with its own configuration, users and log).
Run it as root, e.g.: sudo scripts/run.sh --demo"
}

ensure_python() {
    command -v python3 >/dev/null && return 0
    say "installing python3 (writes the demo messages)"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3 \
        || die "cannot install python3"
}

server() { "$HERE/pop3-server.sh" --dir "$SERVER_DIR" -q "$@"; }

fill_mailbox() {
    local mail f
    mail=$(mktemp -d)
    python3 "$HERE/sample-messages.py" demo "$mail"
    server reset "$USER_NAME" >/dev/null
    for f in "$mail"/*.eml; do server add-file "$USER_NAME" "$f" >/dev/null; done
    rm -rf "$mail"
}

# The password is saved scrambled (each byte XOR 0xD5, as the program
# stores it), so "Save" is ticked and the user only presses "Check Mail
# Headers".
write_settings() {
    local port=$1
    mkdir -p "$DEMO_HOME/pop3"
    python3 - "$DEMO_HOME/pop3/pop3.ini" "127.0.0.1:$port" "$USER_NAME" "$PASSWORD" <<'EOF'
import os, sys
path, server, user, password = sys.argv[1:]
scrambled = bytes(b ^ 0xD5 for b in password.encode())
lines = [b"[EMAIL]", b"Server=" + server.encode(), b"UserID=" + user.encode(), b"Password=" + scrambled,
         b"[AUTOCHECK]", b"Interval=30", b"From=", b"Subject=", b"Size=",
         b"[DEBUG]", b"FetchCount=0", b"[SOUND]", b"PlayWave=No"]
fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
with os.fdopen(fd, "wb") as f:
    f.write(b"".join(line + b"\r\n" for line in lines))
os.chmod(path, 0o600)
EOF
}

# A mailbox left running by `start` is not started twice; a folder left
# behind by a mailbox that has ended is removed.
check_not_running() {
    [ -f "$STATE" ] || return 0
    SERVER_DIR=$(cat "$STATE")
    case "$SERVER_DIR" in /tmp/pop3check-demo.*) ;; *) die "$STATE names an unexpected folder: $SERVER_DIR" ;; esac
    if [ -d "$SERVER_DIR" ] && server status >/dev/null 2>&1; then
        die "a demo mailbox is running already (started by 'scripts/demo.sh start'); stop it first: scripts/demo.sh stop"
    fi
    rm -rf "$SERVER_DIR" "$STATE"
}

cmd_start() {
    need_root
    ensure_python
    mkdir -p "$DEMO_DIR"
    SERVER_DIR=$(mktemp -d /tmp/pop3check-demo.XXXXXX)
    echo "$SERVER_DIR" > "$STATE"
    server --address 127.0.0.1 --port auto --users 1 start || die "the demo POP3 server did not start"
    fill_mailbox
    local port; port=$(cat "$SERVER_DIR/port")
    write_settings "$port"
    say "mailbox of $USER_NAME ($PASSWORD) on 127.0.0.1:$port holds $(server count "$USER_NAME") messages"
    say "demo home $DEMO_HOME (settings and data folder in $DEMO_HOME/pop3)"
}

cmd_stop() {
    [ -f "$STATE" ] || { say "no demo mailbox is running"; return 0; }
    SERVER_DIR=$(cat "$STATE")
    case "$SERVER_DIR" in /tmp/pop3check-demo.*) ;; *) die "$STATE names an unexpected folder: $SERVER_DIR" ;; esac
    need_root
    if [ -d "$SERVER_DIR" ]; then
        server stop >/dev/null 2>&1 || true
        rm -rf "$SERVER_DIR"
    fi
    rm -f "$STATE"
    say "demo mailbox stopped"
}

cmd_run() {
    [ $# -ge 1 ] || die "usage: demo.sh run PROGRAM [ARGS...]"
    need_root
    check_not_running
    trap cmd_stop EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    cmd_start
    # X clients find their authority through HOME unless told otherwise.
    if [ -z "${XAUTHORITY:-}" ] && [ -f "$HOME/.Xauthority" ]; then export XAUTHORITY=$HOME/.Xauthority; fi
    say "starting the program; press \"Check Mail Headers\". The mailbox stops when the program ends."
    local rc=0
    HOME=$DEMO_HOME "$@" || rc=$?
    return "$rc"
}

case "${1:-}" in
    run)   shift; cmd_run "$@" ;;
    start) need_root; check_not_running; cmd_start ;;
    stop)  cmd_stop ;;
    -h|--help|help) usage ;;
    *)     usage >&2; exit 2 ;;
esac
