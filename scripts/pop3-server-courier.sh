#!/usr/bin/env bash
# pop3-server-courier.sh -- Courier's pop3d as a second private POP3 test
# server. Run on its own it is `pop3-server.sh --server courier ARGS...`, with
# the same commands, options, users and folder layout (see pop3-server.sh
# --help); pop3-server.sh sources it for the functions below.
#
# Debian's courier-pop conflicts with dovecot-pop3d, so nothing of Courier is
# installed: courier-pop and the few packages it needs are fetched with
# `apt-get download` and unpacked into $POP3CHECK_COURIER_CACHE (default
# /var/cache/pop3check/courier). Courier's programs look for their
# configuration and the authentication daemon's socket at fixed places
# (/etc/courier, /run/courier, /usr/lib/courier-authlib), so the instance runs
# in a mount namespace of its own where
#   /etc      shows DIR/courier/etc (authdaemonrc, userdb) above the real /etc,
#   /usr/lib  shows the unpacked libraries above the real /usr/lib,
#   /run      is DIR/courier/run (the authdaemon socket),
# all read-only overlays or a bind mount that only the instance sees. No file
# outside DIR and the cache is written and no system service is started.
# Processes: authdaemond (pid in DIR/run/authdaemond.pid) and couriertcpd
# (DIR/run/couriertcpd.pid), which starts courierpop3login and courierpop3d
# per connection; `stop` ends them and whatever else still runs in the
# instance's namespace. Both log to DIR/log/courier.log.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    exec "$(cd "$(dirname "$0")" && pwd)/pop3-server.sh" --server courier "$@"
fi

COURIER_DEBS=(courier-pop courier-base courier-authlib courier-authdaemon courier-authlib-userdb libcourier-unicode4)
# Installed libraries that the unpacked programs link against.
COURIER_HOST_LIBS=(libgdbm6 libidn12 libltdl7 libcrypt1)
COURIER_CACHE=${POP3CHECK_COURIER_CACHE:-/var/cache/pop3check/courier}
C_ROOT=$COURIER_CACHE/root
C_AUTHDAEMOND=$C_ROOT/usr/lib/courier/courier-authlib/authdaemond
C_TCPD=$C_ROOT/usr/sbin/couriertcpd
C_LOGIN=$C_ROOT/usr/lib/courier/courier/courierpop3login
C_POP3D=$C_ROOT/usr/lib/courier/courier/courierpop3d
C_MAKEDAT=$C_ROOT/usr/lib/courier/courier-authlib/makedatprog
C_USERDBPW=$C_ROOT/usr/sbin/userdbpw
C_ETC=$DIR/courier/etc
C_RUNROOT=$DIR/courier/run
C_TCPD_PID=$RUN/couriertcpd.pid
C_AUTH_PID=$RUN/authdaemond.pid
C_NS=$RUN/courier.mntns

# ------------------------------------------------------------------- install
courier_unpacked() {
    local f
    for f in "$C_AUTHDAEMOND" "$C_TCPD" "$C_LOGIN" "$C_POP3D" "$C_MAKEDAT" "$C_USERDBPW"; do
        [ -x "$f" ] || return 1
    done
}

courier_download() {
    local into=$1
    ( cd "$into" && apt-get download "${COURIER_DEBS[@]}" ) >>"$DIR/log/apt.log" 2>&1 && return 0
    apt-get update -q >>"$DIR/log/apt.log" 2>&1 || true
    ( cd "$into" && apt-get download "${COURIER_DEBS[@]}" ) >>"$DIR/log/apt.log" 2>&1
}

courier_ensure_packages() {
    command -v python3 >/dev/null || die "python3 is missing (scripts/install-deps.sh --with-tests installs it)"
    command -v unshare >/dev/null && command -v mount >/dev/null || die "unshare and mount are needed (util-linux, mount)"
    local p missing=()
    for p in "${COURIER_HOST_LIBS[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        say "installing ${missing[*]}"
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" \
            >>"$DIR/log/apt.log" 2>&1 || die "apt-get install ${missing[*]} failed (see $DIR/log/apt.log)"
    fi
    courier_unpacked && return 0
    say "unpacking ${COURIER_DEBS[*]} into $C_ROOT (not installed)"
    mkdir -p "$COURIER_CACHE"
    local tmp; tmp=$(mktemp -d "$COURIER_CACHE/unpack.XXXXXX")
    courier_download "$tmp" || { rm -rf "$tmp"; die "apt-get download failed (see $DIR/log/apt.log)"; }
    local deb
    for deb in "$tmp"/*.deb; do
        dpkg-deb -x "$deb" "$tmp/root" || { rm -rf "$tmp"; die "cannot unpack $deb"; }
    done
    rm -rf "$C_ROOT"
    mv "$tmp/root" "$C_ROOT"
    rm -rf "$tmp"
    courier_unpacked || die "the unpacked Courier packages lack a program (see $C_ROOT)"
}

# ------------------------------------------------------------------- helpers
# True while PID runs (a zombie waiting for its parent counts as gone).
pid_alive() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\(.\).*/\1/p' "/proc/$1/status" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# pid_from FILE MARK: the pid in FILE when it runs with MARK in its command line.
pid_from() {
    [ -f "$1" ] || return 1
    local pid; pid=$(head -n1 "$1" 2>/dev/null | tr -dc 0-9)
    [ -n "$pid" ] && pid_alive "$pid" || return 1
    tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -q -- "$2" || return 1
    echo "$pid"
}

courier_pid() { pid_from "$C_TCPD_PID" "-pid=$C_TCPD_PID"; }
courier_auth_pid() { pid_from "$C_AUTH_PID" "$C_AUTHDAEMOND"; }

# Pids of the Courier programs still running in the instance's mount
# namespace. The program check keeps a namespace number that the kernel gave
# to someone else after a reboot from naming foreign processes.
courier_ns_pids() {
    local ns p
    ns=$(cat "$C_NS" 2>/dev/null) || return 0
    [ -n "$ns" ] || return 0
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/ns/mnt" 2>/dev/null)" = "$ns" ] || continue
        [[ "$(readlink "$p/exe" 2>/dev/null)" == "$C_ROOT/"* ]] || continue
        pid_alive "${p#/proc/}" && echo "${p#/proc/}"
    done
    return 0
}

# True when user01 can log in with USER and PASS: the whole path through
# courierpop3login and the authentication daemon works. Courier drops
# commands sent before the previous reply, so every reply is awaited.
courier_login_ok() {
    local line ok=1 user; user=$(printf 'user%02d' 1)
    { exec 9<>"/dev/tcp/$ADDRESS/$PORT"; } 2>/dev/null || return 1
    if IFS= read -r -t 3 line <&9 && [[ "$line" == "+OK"* ]]; then
        printf 'USER %s\r\n' "$user" >&9
        if IFS= read -r -t 3 line <&9 && [[ "$line" == "+OK"* ]]; then
            printf 'PASS %s\r\n' "$(password_of "$user")" >&9
            IFS= read -r -t 3 line <&9 && [[ "$line" == "+OK"* ]] && ok=0
        fi
    fi
    printf 'QUIT\r\n' >&9 2>/dev/null || true
    IFS= read -r -t 3 line <&9 || true
    exec 9<&- 9>&-
    return $ok
}

# makedat FILE: builds the GDBM file FILE.dat from "key<TAB>value" lines on stdin.
courier_makedat() {
    { cat; echo .; } | "$C_MAKEDAT" - "$1.tmp" "$1.dat" || die "cannot write $1.dat"
}

# hash_password PASSWORD: the userdb hash of PASSWORD (MD5 crypt).
hash_password() {
    local try hash
    for try in 1 2 3; do
        hash=$(printf '%s\n%s\n' "$1" "$1" | "$C_USERDBPW" -md5) && { echo "$hash"; return 0; }
    done
    return 1
}

courier_write_config() {
    local uid=$1 gid=$2 u hash
    rm -rf "$C_ETC.new"
    mkdir -p "$C_ETC.new/courier" "$C_RUNROOT/courier/authdaemon"
    cat > "$C_ETC.new/courier/authdaemonrc" <<EOF
# written by $PROG for the private Courier instance in $DIR
authmodulelist="authuserdb"
daemons=2
authdaemonvar=/run/courier/authdaemon
DEBUG_LOGIN=0
DEFAULTOPTIONS=""
LOGGEROPTS=""
EOF
    for u in $(user_names); do
        printf '%s\tuid=%s|gid=%s|home=%s|mail=%s|_=\n' "$u" "$uid" "$gid" "$DIR/mail/$u" "$(maildir_of "$u")"
    done | courier_makedat "$C_ETC.new/courier/userdb"
    for u in $(user_names); do
        # userdbpw once failed without a word on a machine kept busy by a
        # stress run: it gets three tries.
        hash=$(hash_password "$(password_of "$u")") || die "userdbpw failed three times"
        printf '%s\tsystempw=%s\n' "$u" "$hash"
    done | courier_makedat "$C_ETC.new/courier/userdbshadow"
    chmod 600 "$C_ETC.new/courier/userdbshadow.dat"
    rm -rf "$C_ETC"
    mv "$C_ETC.new" "$C_ETC"
}

# ------------------------------------------------------------------ commands
courier_launch() {
    # The mounts, then both daemons, inside one new mount namespace. The
    # environment is the one Debian's /usr/lib/courier/pop3d builds, without
    # SASL mechanisms: USER and PASS are what the tests use.
    unshare --mount --propagation private -- /bin/bash -c '
        set -e
        mount -t overlay pop3check-courier-etc -o "lowerdir=$C_ETC:/etc" /etc
        mount -t overlay pop3check-courier-lib -o "lowerdir=$C_ROOT/usr/lib:/usr/lib" /usr/lib
        mount --bind "$C_RUNROOT" /run
        readlink /proc/self/ns/mnt > "$C_NS"
        cd /
        # Sessions of their own: on TERM authdaemond signals its whole
        # process group, which must not be the caller'"'"'s.
        setsid env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin "$C_AUTHDAEMOND" </dev/null >>"$LOG" 2>&1 &
        echo $! > "$C_AUTH_PID"
        for _ in $(seq 1 100); do [ -S /run/courier/authdaemon/socket ] && break; sleep 0.05; done
        setsid env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin POP3AUTH= POP3AUTH_TLS= POP3_PROXY=0 \
            MIME_UNICODE_MESSAGE_TYPE=message/global \
            "$C_TCPD" -pid="$C_TCPD_PID" -stderr="$LOG" -address="$ADDRESS" -maxprocs=100 -maxperip=100 \
                -nodnslookup -noidentlookup "$PORT" "$C_LOGIN" "$C_POP3D" Maildir </dev/null >>"$LOG" 2>&1
    ' 2>>"$LOG"
}

courier_start() {
    local uid gid pid path
    # The namespace covers these folders; the instance's own files must stay visible.
    for path in "$DIR" "$COURIER_CACHE"; do
        case "$path/" in
            /run/*|/etc/*|/usr/lib/*) die "$path lies below /run, /etc or /usr/lib, which the instance's mounts cover" ;;
        esac
    done
    uid=$(id -u "$MAIL_USER"); gid=$(id -g "$MAIL_USER")
    local old_sig; old_sig=$(cat "$SETTINGS" 2>/dev/null || true)
    write_settings
    if pid=$(courier_pid) && courier_auth_pid >/dev/null; then
        if [ "$old_sig" = "$(cat "$SETTINGS")" ] && courier_login_ok; then
            say "already running (pid $pid) on $ADDRESS:$PORT"
            return 0
        fi
        say "settings changed; restarting"
    fi
    # The running instance reads its configuration through a mount of
    # DIR/courier/etc, so that is rewritten only once it is stopped.
    courier_stop || true
    courier_write_config "$uid" "$gid"
    port_in_use && die "$ADDRESS:$PORT is already in use by another process"
    export C_ETC C_ROOT C_RUNROOT C_NS C_AUTHDAEMOND C_AUTH_PID C_TCPD C_TCPD_PID C_LOGIN C_POP3D LOG ADDRESS PORT
    courier_launch || { courier_stop || true; die "Courier failed to start; last log lines:
$(tail -n 15 "$LOG" 2>/dev/null)"; }
    for _ in $(seq 1 100); do
        if pid=$(courier_pid) && courier_login_ok; then
            say "running Courier (pid $pid) on $ADDRESS:$PORT, users user01..$(printf 'user%02d' "$USERS") / pass01..; log $LOG"
            return 0
        fi
        sleep 0.1
    done
    courier_stop || true
    die "Courier did not log user01 in on $ADDRESS:$PORT within 10 s; last log lines:
$(tail -n 15 "$LOG" 2>/dev/null)"
}

# couriertcpd, authdaemond and every Courier program left in the namespace
# (open sessions), one pid a line.
courier_all_pids() {
    courier_pid || true
    courier_auth_pid || true
    courier_ns_pids
}

# Ends the instance: TERM, and KILL for what is left after 5 s. Returns 1 when
# nothing was running.
courier_stop() {
    local pids stopped=1 round
    for round in TERM KILL; do
        pids=$(courier_all_pids)
        [ -n "$pids" ] || break
        stopped=0
        kill -"$round" $pids 2>/dev/null || true
        for _ in $(seq 1 50); do
            [ -n "$(courier_all_pids)" ] || break
            sleep 0.1
        done
    done
    pids=$(courier_all_pids)
    [ -z "$pids" ] || die "Courier processes $(echo $pids) did not exit"
    rm -f "$C_TCPD_PID" "$C_AUTH_PID" "$C_NS"
    return $stopped
}
