#!/usr/bin/env bash
# pop3-server.sh -- the project's private POP3 server instance for tests and
# benchmarks: Dovecot, or with --server courier Courier's pop3d (how that one
# runs: pop3-server-courier.sh). Dovecot is never the system's Dovecot: this
# runs `dovecot -c DIR/etc/...` with its own configuration, base and state
# folders, log and pid file, all under DIR, listening on ADDRESS:PORT
# (loopback by default) with plaintext USER/PASS allowed and no delay after a
# failed log-in.
#
# Users: user01 .. userNN (N = --users, default 16), password "pass" followed
# by the same two digits (user07 / pass07). Each user has its own Maildir, so
# test programs running in parallel each use a mailbox of their own. DIR/users
# lists "name password maildir" per line; DIR/port and DIR/address hold where
# the server listens. The mail files belong to the unprivileged system user
# `pop3check`, created when missing. DIR/server names the server. Must be run
# as root.
#
# Usage: pop3-server.sh [options] COMMAND [args]
#   start                        install dovecot (or unpack courier) if missing,
#                                write config, start
#   stop                         stop the instance (pid from its pid file only)
#   status                       print state; exit 0 running, 3 stopped
#   reset USER                   delete every message of USER
#   add-messages USER N          add N generated messages (see --size)
#   add-file USER FILE           add one RFC 5322 message file
#   count USER                   number of messages of USER
# Options (anywhere on the line):
#   --dir DIR        instance folder (default $POP3CHECK_TEST_SERVER_DIR)
#   --port PORT      POP3 port (default 11110); `auto` takes a free one
#   --address ADDR   listening IPv4 address      (default 127.0.0.1)
#   --users N        number of test users        (default 16, at most 99)
#   --server NAME    dovecot (default) or courier
#   --tls            Dovecot with TLS: STLS on PORT, implicit TLS on the
#                    TLS port, test certificates (see pop3-server-tls.sh)
#   --tls-port PORT  implicit-TLS port (default `auto` with --tls)
#   --size BYTES     add-messages: exact POP3 (CR LF) size of each message
#                    (default 2048; raised to the minimum when too small)
#   --seed N         add-messages: random seed   (default: a running counter)
#   -q, --quiet      less chatter
# --port, --address, --users and --server given to `start` are kept in
# DIR/settings and used by later commands. The first `start` may install or
# download packages, so run it once outside any network namespace before
# starting inside one.
set -euo pipefail

PROG=${0##*/}
HERE=$(cd "$(dirname "$0")" && pwd)
DIR=${POP3CHECK_TEST_SERVER_DIR:-}
PORT=11110
ADDRESS=127.0.0.1
USERS=16
SIZE=2048
SEED=
SERVER=dovecot
TLS=no
TLS_PORT=auto
QUIET=0
MAIL_USER=pop3check
CMD=
ARGS=()
EXPLICIT=()

die()  { echo "$PROG: error: $*" >&2; exit 1; }
say()  { [ "$QUIET" = 1 ] || echo "$PROG: $*"; }
usage() { sed -n '2,/^set -e/{/^set -e/d;s/^# \{0,1\}//;p}' "$0"; }
need_val() { [ $# -ge 2 ] && [ -n "$2" ] || die "option $1 needs a value"; }

while [ $# -gt 0 ]; do
    case "$1" in
        --dir)       need_val "$@"; DIR=$2; shift 2 ;;
        --dir=*)     DIR=${1#*=}; shift ;;
        --port)      need_val "$@"; PORT=$2; EXPLICIT+=(PORT); shift 2 ;;
        --port=*)    PORT=${1#*=}; EXPLICIT+=(PORT); shift ;;
        --address)   need_val "$@"; ADDRESS=$2; EXPLICIT+=(ADDRESS); shift 2 ;;
        --address=*) ADDRESS=${1#*=}; EXPLICIT+=(ADDRESS); shift ;;
        --users)     need_val "$@"; USERS=$2; EXPLICIT+=(USERS); shift 2 ;;
        --users=*)   USERS=${1#*=}; EXPLICIT+=(USERS); shift ;;
        --server)    need_val "$@"; SERVER=$2; EXPLICIT+=(SERVER); shift 2 ;;
        --server=*)  SERVER=${1#*=}; EXPLICIT+=(SERVER); shift ;;
        --tls)       TLS=yes; EXPLICIT+=(TLS); shift ;;
        --tls-port)  need_val "$@"; TLS_PORT=$2; EXPLICIT+=(TLS_PORT); shift 2 ;;
        --size)      need_val "$@"; SIZE=$2; shift 2 ;;
        --size=*)    SIZE=${1#*=}; shift ;;
        --seed)      need_val "$@"; SEED=$2; shift 2 ;;
        --seed=*)    SEED=${1#*=}; shift ;;
        -q|--quiet)  QUIET=1; shift ;;
        -h|--help|help) usage; exit 0 ;;
        --) shift; ARGS+=("$@"); break ;;
        -*) die "unknown option '$1' (try --help)" ;;
        *)  if [ -z "$CMD" ]; then CMD=$1; else ARGS+=("$1"); fi; shift ;;
    esac
done
[ -n "$CMD" ] || { usage >&2; exit 2; }
[ -n "$DIR" ] || die "no instance folder: give --dir or set POP3CHECK_TEST_SERVER_DIR"

case "$DIR" in /*) ;; *) DIR=$(pwd)/$DIR ;; esac
DIR=${DIR%/}
# Dovecot puts unix sockets into DIR/run; their paths must stay below 108 bytes.
[[ "$DIR" =~ ^/[A-Za-z0-9._/+-]+$ ]] || die "--dir '$DIR': use only letters, digits and . _ - + /"
[ ${#DIR} -le 70 ] || die "--dir path too long (at most 70 characters)"

CONF=$DIR/etc/dovecot.conf
PASSWD=$DIR/etc/passwd
SETTINGS=$DIR/settings
RUN=$DIR/run
PIDFILE=$RUN/master.pid
LOG=$DIR/log/dovecot.log

is_explicit() { local x; for x in "${EXPLICIT[@]+"${EXPLICIT[@]}"}"; do [ "$x" = "$1" ] && return 0; done; return 1; }

# Saved settings win for every command but `start`, which may change them.
load_settings() {
    [ -f "$SETTINGS" ] || return 0
    local k v
    while IFS='=' read -r k v; do
        case "$k" in PORT|ADDRESS|USERS|SERVER|TLS|TLS_PORT) ;; *) continue ;; esac
        [ "$CMD" = start ] && is_explicit "$k" && continue
        printf -v "$k" '%s' "$v"
    done < "$SETTINGS"
}
load_settings

free_port() {
    python3 -c 'import socket, sys; s = socket.socket(); s.bind((sys.argv[1], 0)); print(s.getsockname()[1])' \
        "$ADDRESS" || die "no free port on $ADDRESS"
}
if [ "$PORT" = auto ]; then
    [ "$CMD" = start ] || die "--port auto is only for start"
    PORT=$(free_port)
fi
if [ "$TLS" = yes ] && [ "$TLS_PORT" = auto ]; then
    [ "$CMD" = start ] || die "--tls-port auto is only for start"
    TLS_PORT=$(free_port)
fi
[[ "$PORT" =~ ^[0-9]+$ ]] && [ "$PORT" -ge 1 ] && [ "$PORT" -le 65535 ] || die "--port '$PORT' is not a port number"
[[ "$ADDRESS" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "--address '$ADDRESS' is not a dotted IPv4 address"
[[ "$USERS" =~ ^[0-9]+$ ]] && [ "$USERS" -ge 1 ] && [ "$USERS" -le 99 ] || die "--users must be 1..99"
[[ "$SIZE" =~ ^[0-9]+$ ]] || die "--size '$SIZE' is not a byte count"
[ -z "$SEED" ] || [[ "$SEED" =~ ^[0-9]+$ ]] || die "--seed must be a number"
case "$SERVER" in dovecot|courier) ;; *) die "--server must be dovecot or courier" ;; esac
[ "$SERVER" = dovecot ] || LOG=$DIR/log/$SERVER.log
# Courier's functions; they are used only when SERVER is courier.
. "$HERE/pop3-server-courier.sh"
. "$HERE/pop3-server-tls.sh"
[ "$TLS" = no ] || [ "$SERVER" = dovecot ] || die "--tls is for dovecot only (Courier's couriertls is not unpacked)"

require_root() { [ "$(id -u)" = 0 ] || die "must be run as root (dovecot drops privileges itself)"; }

user_names() { local i; for i in $(seq 1 "$USERS"); do printf 'user%02d\n' "$i"; done; }
password_of() { echo "pass${1#user}"; }
maildir_of() { echo "$DIR/mail/$1/Maildir"; }

check_user() {
    local u=$1
    [[ "$u" =~ ^user[0-9][0-9]$ ]] && [ "${u#user}" -ge 1 ] && [ "${u#user}" -le "$USERS" ] \
        || die "unknown user '$u' (users are user01 .. $(printf 'user%02d' "$USERS"))"
}

# ------------------------------------------------------------------- install
install_dovecot() {
    command -v apt-get >/dev/null || die "dovecot-pop3d is missing and apt-get is not available"
    mkdir -p "$DIR/log"
    say "installing dovecot-core dovecot-pop3d (the system service is not started)"
    local tmp_policy=0 rc=0
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        # keeps the package scripts from starting the system dovecot on port 110
        printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
        chmod 755 /usr/sbin/policy-rc.d
        tmp_policy=1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -q --no-install-recommends dovecot-core dovecot-pop3d >>"$DIR/log/apt.log" 2>&1 || {
        apt-get update -q >>"$DIR/log/apt.log" 2>&1 || true
        apt-get install -y -q --no-install-recommends dovecot-core dovecot-pop3d >>"$DIR/log/apt.log" 2>&1 || rc=$?
    }
    [ "$tmp_policy" = 1 ] && rm -f /usr/sbin/policy-rc.d
    [ "$rc" = 0 ] || die "apt-get install dovecot-pop3d failed (see $DIR/log/apt.log)"
    if [ -d /run/systemd/system ] && command -v systemctl >/dev/null; then
        systemctl disable --quiet dovecot.service 2>/dev/null || true
    fi
    update-rc.d dovecot disable >/dev/null 2>&1 || true
}

ensure_packages() {
    command -v python3 >/dev/null || die "python3 is missing (scripts/install-deps.sh --with-tests installs it)"
    if ! [ -x /usr/sbin/dovecot ] || ! [ -x /usr/lib/dovecot/pop3 ] || ! [ -x /usr/lib/dovecot/pop3-login ]; then
        install_dovecot
    fi
    [ -x /usr/lib/dovecot/pop3-login ] || die "dovecot-pop3d still missing after install"
}

ensure_mail_user() {
    if ! getent passwd "$MAIL_USER" >/dev/null; then
        useradd --system --user-group --no-create-home --home-dir /nonexistent \
            --shell /usr/sbin/nologin "$MAIL_USER" || die "cannot create system user $MAIL_USER"
    fi
    [ "$SERVER" = courier ] || { getent passwd dovecot >/dev/null && getent passwd dovenull >/dev/null; } \
        || die "users dovecot/dovenull missing (reinstall dovecot-core)"
}

# ------------------------------------------------------------------- helpers
# The pid in the pid file, when that process is alive and runs our config.
dovecot_pid() {
    [ -f "$PIDFILE" ] || return 1
    local pid; pid=$(head -n1 "$PIDFILE" 2>/dev/null | tr -dc 0-9)
    [ -n "$pid" ] && [ -d "/proc/$pid" ] || return 1
    tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -q -- "$CONF" || return 1
    echo "$pid"
}

# True when ADDRESS:PORT answers with a POP3 greeting.
banner_ok() {
    local line
    { exec 9<>"/dev/tcp/$ADDRESS/$PORT"; } 2>/dev/null || return 1
    IFS= read -r -t 3 line <&9 || line=
    printf 'QUIT\r\n' >&9 2>/dev/null || true
    exec 9<&- 9>&-
    [[ "$line" == "+OK"* ]]
}

port_in_use() { (exec 9<>"/dev/tcp/$ADDRESS/$PORT") 2>/dev/null; }

msg_count() {
    local md; md=$(maildir_of "$1")
    [ -d "$md" ] || { echo 0; return; }
    find "$md/cur" "$md/new" -maxdepth 1 -type f 2>/dev/null | wc -l
}

write_config() {
    local uid=$1 gid=$2
    cat > "$CONF.new" <<EOF
# written by $PROG: a private POP3 instance for tests, not the system dovecot
instance_name = pop3check-$PORT
base_dir = $RUN
state_dir = $DIR/state
protocols = pop3
listen = $ADDRESS
$(if [ "$TLS" = yes ]; then tls_dovecot_config; else echo "ssl = no"; fi)
disable_plaintext_auth = no
auth_mechanisms = plain login
auth_verbose = yes
auth_failure_delay = 0
default_internal_user = dovecot
default_login_user = dovenull
first_valid_uid = $uid
last_valid_uid = $uid
first_valid_gid = $gid
mail_location = maildir:~/Maildir
mail_fsync = optimized
log_path = $LOG
info_log_path = $LOG
debug_log_path = $LOG
log_timestamp = "%Y-%m-%d %H:%M:%S "
login_log_format_elements = user=<%u> method=%m rip=%r lip=%l session=<%{session}> %c
pop3_uidl_format = %08Xu%08Xv
pop3_logout_format = top=%t/%p, retr=%r/%b, del=%d/%m, size=%s
pop3_fast_size_lookups = yes

passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $PASSWD
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$DIR/mail/%u
}
service pop3-login {
  inet_listener pop3 {
    address = $ADDRESS
    port = $PORT
  }
$(if [ "$TLS" = yes ]; then tls_dovecot_listener; else printf '  inet_listener pop3s {\n    port = 0\n  }\n}'; fi)
protocol pop3 {
  mail_max_userip_connections = 100
}
# After a failed log-in Dovecot delays every further one from the same
# address (2 s, doubling up to 15 s). Tests fail log-ins on purpose, so the
# penalty is turned off: without its socket the auth process has none.
service anvil {
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
EOF
    mv -f "$CONF.new" "$CONF"
    local u
    umask 077
    : > "$PASSWD.new"
    for u in $(user_names); do printf '%s:{PLAIN}%s::::::\n' "$u" "$(password_of "$u")" >> "$PASSWD.new"; done
    umask 022
    chown root:dovecot "$PASSWD.new"; chmod 640 "$PASSWD.new"
    mv -f "$PASSWD.new" "$PASSWD"
}

write_settings() {
    printf 'PORT=%s\nADDRESS=%s\nUSERS=%s\nSERVER=%s\nTLS=%s\nTLS_PORT=%s\n' "$PORT" "$ADDRESS" "$USERS" "$SERVER" \
        "$TLS" "$TLS_PORT" > "$SETTINGS"
    if [ "$TLS" = yes ]; then echo "$TLS_PORT" > "$DIR/tls-port"; else rm -f "$DIR/tls-port"; fi
    echo "$SERVER" > "$DIR/server"
    echo "$PORT" > "$DIR/port"
    echo "$ADDRESS" > "$DIR/address"
    local u
    : > "$DIR/users.new"
    for u in $(user_names); do echo "$u $(password_of "$u") $(maildir_of "$u")" >> "$DIR/users.new"; done
    mv -f "$DIR/users.new" "$DIR/users"
}

ensure_maildir() {
    local home=$DIR/mail/$1 md; md=$(maildir_of "$1")
    mkdir -p "$md/cur" "$md/new" "$md/tmp"
    chown "$MAIL_USER:$MAIL_USER" "$home" "$md" "$md/cur" "$md/new" "$md/tmp"
    chmod 700 "$home" "$md" "$md/cur" "$md/new" "$md/tmp"
}

check_traversable() {
    local md; md=$(maildir_of user01)
    setpriv --reuid="$(id -u "$MAIL_USER")" --regid="$(id -g "$MAIL_USER")" --clear-groups \
        test -w "$md/new" || die "user $MAIL_USER cannot reach $md (is a parent of $DIR not world-searchable?)"
    [ "$SERVER" = courier ] && return 0
    setpriv --reuid="$(id -u dovenull)" --regid="$(id -g dovenull)" --clear-groups \
        test -x "$DIR" || die "user dovenull cannot traverse $DIR"
}

# ------------------------------------------------------------------ commands
# A folder switched to the other server first loses the one it ran.
stop_previous_server() {
    [ -f "$SETTINGS" ] || return 0
    local old; old=$(sed -n 's/^SERVER=//p' "$SETTINGS"); old=${old:-dovecot}
    [ "$old" != "$SERVER" ] || return 0
    if [ "$old" = courier ]; then courier_stop || true; else stop_instance || true; fi
}

cmd_start() {
    require_root
    mkdir -p "$DIR/etc" "$DIR/state" "$DIR/log" "$DIR/mail" "$RUN"
    chmod 755 "$DIR" "$DIR/mail"
    stop_previous_server
    if [ "$SERVER" = courier ]; then
        courier_ensure_packages
        ensure_mail_user
        local u
        for u in $(user_names); do ensure_maildir "$u"; done
        check_traversable
        courier_start
        return
    fi
    ensure_packages
    ensure_mail_user
    local uid gid pid u
    uid=$(id -u "$MAIL_USER"); gid=$(id -g "$MAIL_USER")
    local old_sig; old_sig=$(cat "$SETTINGS" "$CONF" "$PASSWD" 2>/dev/null || true)
    [ "$TLS" = no ] || tls_make_certificates
    write_settings
    write_config "$uid" "$gid"
    for u in $(user_names); do ensure_maildir "$u"; done
    check_traversable
    if pid=$(dovecot_pid); then
        if [ "$old_sig" = "$(cat "$SETTINGS" "$CONF" "$PASSWD")" ] && banner_ok; then
            say "already running (pid $pid) on $ADDRESS:$PORT"
            return 0
        fi
        say "settings changed; restarting"
        stop_instance || true
    fi
    port_in_use && die "$ADDRESS:$PORT is already in use by another process"
    rm -f "$PIDFILE"
    /usr/sbin/dovecot -c "$CONF" 2>>"$LOG" || die "dovecot failed to start; last log lines:
$(tail -n 15 "$LOG" 2>/dev/null)"
    for _ in $(seq 1 100); do
        if pid=$(dovecot_pid) && banner_ok; then
            say "running (pid $pid) on $ADDRESS:$PORT, users user01..$(printf 'user%02d' "$USERS") / pass01..; log $LOG"
            return 0
        fi
        sleep 0.1
    done
    die "dovecot did not answer on $ADDRESS:$PORT within 10 s; last log lines:
$(tail -n 15 "$LOG" 2>/dev/null)"
}

# Stops this folder's instance; returns 1 when none was running.
stop_instance() {
    local pid
    pid=$(dovecot_pid) || { rm -f "$PIDFILE"; return 1; }
    kill -TERM "$pid"
    for _ in $(seq 1 100); do
        [ -d "/proc/$pid" ] || break
        sleep 0.1
    done
    [ ! -d "/proc/$pid" ] || die "dovecot pid $pid did not exit within 10 s"
    rm -f "$PIDFILE"
}

cmd_stop() {
    require_root
    local stop=stop_instance
    [ "$SERVER" = dovecot ] || stop=courier_stop
    if $stop; then say "stopped"; else say "not running"; fi
}

cmd_status() {
    local pid running=dovecot_pid tag=
    [ "$SERVER" = dovecot ] || { running=courier_pid; tag=" server=$SERVER"; }
    if pid=$($running); then
        if banner_ok; then
            echo "running pid=$pid listen=$ADDRESS:$PORT users=$USERS dir=$DIR$tag"
        else
            echo "running pid=$pid but $ADDRESS:$PORT does not answer (another network namespace?) dir=$DIR$tag"
        fi
        return 0
    fi
    echo "stopped port=$PORT dir=$DIR$tag"
    return 3
}

cmd_reset() {
    [ ${#ARGS[@]} -eq 1 ] || die "usage: $PROG reset USER"
    check_user "${ARGS[0]}"
    require_root
    local md; md=$(maildir_of "${ARGS[0]}")
    [ -d "$md" ] || { say "no mailbox yet (nothing to reset)"; return 0; }
    # Only the message files go: dovecot-uidlist stays, so UIDs keep growing
    # and a UIDL never names two different messages.
    find "$md/cur" "$md/new" "$md/tmp" -maxdepth 1 -type f -delete
    say "mailbox of ${ARGS[0]} emptied"
}

prepare_add() {
    require_root
    check_user "$1"
    getent passwd "$MAIL_USER" >/dev/null || die "no user $MAIL_USER yet (run '$PROG start' first)"
    ensure_maildir "$1"
}

next_counter() {
    local ctr=0
    [ -f "$DIR/state/gen-counter" ] && ctr=$(cat "$DIR/state/gen-counter")
    echo "$ctr"
}

cmd_add_messages() {
    [ ${#ARGS[@]} -eq 2 ] && [[ "${ARGS[1]}" =~ ^[0-9]+$ ]] || die "usage: $PROG add-messages USER N [--size BYTES]"
    local user=${ARGS[0]} n=${ARGS[1]} ctr
    prepare_add "$user"
    ctr=$(next_counter)
    python3 "$HERE/pop3-server-messages.py" generate "$(maildir_of "$user")" "$n" "$SIZE" \
        "${SEED:-$ctr}" "$ctr" "$user" "$MAIL_USER"
    echo $((ctr + n)) > "$DIR/state/gen-counter"
    say "added $n message(s) of ~$SIZE bytes; $user now has $(msg_count "$user")"
}

cmd_add_file() {
    [ ${#ARGS[@]} -eq 2 ] || die "usage: $PROG add-file USER FILE"
    local user=${ARGS[0]} f=${ARGS[1]} ctr
    [ -f "$f" ] && [ -r "$f" ] || die "cannot read '$f'"
    prepare_add "$user"
    ctr=$(next_counter)
    python3 "$HERE/pop3-server-messages.py" file "$(maildir_of "$user")" "$f" "$MAIL_USER" "$((ctr + 1))"
    echo $((ctr + 1)) > "$DIR/state/gen-counter"
    say "added $f; $user now has $(msg_count "$user")"
}

cmd_count() {
    [ ${#ARGS[@]} -eq 1 ] || die "usage: $PROG count USER"
    check_user "${ARGS[0]}"
    msg_count "${ARGS[0]}"
}

case "$CMD" in
    start)        [ ${#ARGS[@]} -eq 0 ] || die "start takes no arguments"; cmd_start ;;
    stop)         cmd_stop ;;
    status)       cmd_status ;;
    reset)        cmd_reset ;;
    add-messages) cmd_add_messages ;;
    add-file)     cmd_add_file ;;
    count)        cmd_count ;;
    *)            die "unknown command '$CMD' (try --help)" ;;
esac
