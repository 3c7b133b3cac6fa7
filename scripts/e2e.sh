#!/usr/bin/env bash
# End-to-end run of the built program, driven as a person would drive it.
#
# Inside a private network namespace (unshare -n) it starts the project's
# Dovecot on 127.0.0.1:110 (offering STLS) and :995 (implicit TLS), test certificates, with four messages for user01 (one of them
# multipart with a Base64 attachment), an X server (Xvfb) with a window
# manager (openbox) and a system tray (trayer), and the program under a
# temporary HOME whose settings name that server and user. Then, with
# xdotool: types the password, checks, ticks a row, deletes it, checks
# again, opens a message's header and body, confirms the attachment box,
# closes the viewer with Esc, minimises the window into the tray, brings it
# back with the tray icon's "Restore" and ends the program with "Exit". A
# screenshot follows every step. Then, briefly, the same window at a scale
# factor of 2, in German (LANGUAGE=de) and in French (LANGUAGE=fr). Last,
# with a second mailbox (user02, two messages) added to the settings, it
# chooses that one from the window's menu, checks it, and chooses and
# checks the first again.
#
# It then checks the server's side (every session ended with QUIT, exactly
# the ticked message left the Maildir) and the data folder (the attachment
# byte-equal to the original). Waits poll a condition with a bound. Every
# process it started is ended by its pid; the namespace goes with them.
#
#   scripts/e2e.sh [--shots DIR] [--build DIR]
#
# --shots: the screenshot folder (default: a temporary one); the last run's
# screenshots are kept in BUILD/e2e-shots either way. --build: the build
# folder holding pop3check (default build). Needs root for the namespace
# and Dovecot; as another user it prints SKIPPED and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

BUILD=build
SHOTS=
IN_NAMESPACE=0
while [ $# -gt 0 ]; do
    case "$1" in
        --shots) [ $# -ge 2 ] || { echo "e2e: --shots needs a folder" >&2; exit 2; }; SHOTS=$2; shift 2 ;;
        --build) [ $# -ge 2 ] || { echo "e2e: --build needs a folder" >&2; exit 2; }; BUILD=$2; shift 2 ;;
        --in-namespace) IN_NAMESPACE=1; shift ;;
        -h|--help) sed -n '2,/^set -e/{/^set -e/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
        *) echo "e2e: unknown argument '$1' (try --help)" >&2; exit 2 ;;
    esac
done
case "$BUILD" in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac
case "$SHOTS" in ''|/*) ;; *) SHOTS=$ROOT/$SHOTS ;; esac
BIN=$BUILD/pop3check

fail() { echo "e2e: FAILED: $*" >&2; exit 1; }

if [ "$(id -u)" != 0 ]; then
    echo "e2e: SKIPPED: the end-to-end run needs root (a private network namespace and a private Dovecot on port 110)"
    exit 0
fi
[ -x "$BIN" ] || fail "$BIN is missing: build first (scripts/build.sh)"
for tool in Xvfb xdotool xprop xwininfo import openbox trayer unshare ip timeout python3 /usr/sbin/dovecot; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh --with-tests"
done

if [ "$IN_NAMESPACE" = 0 ]; then
    exec unshare --net -- bash "$0" --in-namespace --build "$BUILD" ${SHOTS:+--shots "$SHOTS"}
fi
[ "$(readlink /proc/self/ns/net)" != "$(readlink /proc/1/ns/net)" ] ||
    fail "--in-namespace given, but this is not a private network namespace"

. "$ROOT/scripts/e2e-lib.sh"

START_MS=$(now_ms)
WORK=$(mktemp -d /tmp/pop3check-e2e.XXXXXX)
chmod 755 "$WORK"
KEEP=$BUILD/e2e-shots
[ -n "$SHOTS" ] || SHOTS=$WORK/shots
mkdir -p "$SHOTS"
rm -f "$SHOTS"/[0-9][0-9]-*.png "$SHOTS"/failure.png
SERVER_DIR=$WORK/dovecot
DOVECOT_LOG=$SERVER_DIR/log/dovecot.log
TEST_HOME=$WORK/home
DATA=$TEST_HOME/pop3
MAIL=$WORK/mail
ATTACHMENT=e2e-report.bin
APP_PID= TRAY_PID= WM_PID= XVFB_PID=

cleanup() {
    local rc=$?
    set +e
    if [ "$rc" -ne 0 ]; then
        [ -n "${DISPLAY:-}" ] && import -window root "$SHOTS/failure.png" 2>/dev/null
        for f in "$WORK/program.log" "$DOVECOT_LOG"; do
            [ -s "$f" ] && { echo "--- last lines of $f" >&2; tail -n 15 "$f" >&2; }
        done
    fi
    stop_pid "$APP_PID" pop3check
    stop_pid "$TRAY_PID" trayer
    stop_pid "$WM_PID" openbox
    stop_pid "$XVFB_PID" Xvfb
    [ -d "$SERVER_DIR" ] && "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" -q stop >/dev/null 2>&1
    # The namespace is this run's alone: whatever still runs in it was started here.
    local me p left=()
    me=$(readlink /proc/self/ns/net)
    for p in /proc/[0-9]*; do
        p=${p#/proc/}
        [ "$p" = $$ ] || [ "$p" = "$BASHPID" ] && continue
        [ "$(readlink "/proc/$p/ns/net" 2>/dev/null)" = "$me" ] || continue
        grep -q "^PPid:[[:space:]]*$BASHPID\$" "/proc/$p/status" 2>/dev/null && continue
        left+=("$p")
    done
    if [ ${#left[@]} -gt 0 ]; then
        echo "e2e: warning: still running in the namespace, ending them: ${left[*]}" >&2
        for p in "${left[@]}"; do kill -KILL "$p" 2>/dev/null; done
    fi
    if [ "$SHOTS" != "$KEEP" ]; then
        rm -rf "$KEEP" && mkdir -p "$KEEP" && cp "$SHOTS"/*.png "$KEEP"/ 2>/dev/null
    fi
    rm -rf "$WORK"
    echo "e2e: screenshots in $KEEP"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# ------------------------------------------------------------------ set-up
setup_server() {
    ip link set lo up
    "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" --address 127.0.0.1 --port 110 --tls --tls-port 995 \
        --users 2 -q start ||
        fail "the Dovecot test server did not start"
    python3 "$ROOT/scripts/sample-messages.py" e2e "$MAIL"
    local n
    for n in 1 2 3 4; do
        "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" -q add-file user01 "$MAIL/$n.eml" >/dev/null
    done
    [ "$("$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" count user01)" = 4 ] || fail "the mailbox did not fill"
    # user02: the second mailbox, two messages.
    for n in 1 2; do
        "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" -q add-file user02 "$MAIL/$n.eml" >/dev/null
    done
}

# Server without a port: the program's default, 110. No password is saved:
# it is typed.
write_settings() {
    mkdir -p "$DATA" "$WORK/runtime"
    chmod 700 "$WORK/runtime"
    printf '%s\r\n' '[EMAIL]' 'Server=127.0.0.1' 'UserID=user01' 'Password=' "TLSCAFile=$SERVER_DIR/tls/ca.pem" \
        '[AUTOCHECK]' 'Interval=30' \
        'From=' 'Subject=' 'Size=' '[DEBUG]' 'FetchCount=0' '[SOUND]' 'PlayWave=No' > "$DATA/pop3.ini"
    chmod 600 "$DATA/pop3.ini"
}

start_program() {
    env -i PATH=/usr/bin:/bin HOME="$TEST_HOME" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb \
        QT_SCALE_FACTOR="${SCALE_FACTOR:-1}" XDG_RUNTIME_DIR="$WORK/runtime" LANG=C.UTF-8 \
        LANGUAGE="${PROGRAM_LANGUAGE:-}" "$BIN" >"$WORK/program.log" 2>&1 &
    APP_PID=$!
    wait_until 20 "the main window" main_window >/dev/null
    wait_until 10 "the program's icon docked in the tray" tray_has_icon
    locate_window
    wait_until 10 "the window to be idle" window_idle
}

# --------------------------------------------------------------- the steps
# check_mail SESSION TOPS: "Check Mail Headers", which is session SESSION
# and must fetch TOPS headers.
check_mail() {
    click_check
    wait_until 30 "the check's session to end with QUIT" sessions_done "$1"
    wait_until 10 "the window to be idle after the check" window_idle
    session_line "$1" | grep -q "top=$2/" || fail "the check fetched not $2 headers: $(session_line "$1")"
}

delete_ticked() {
    mailbox_ids > "$WORK/ids-before"
    click_delete
    wait_until 30 "the deletion's session to end with QUIT" sessions_done 2
    wait_until 10 "the window to be idle after the deletion" window_idle
    session_line 2 | grep -q 'del=1/4' || fail "the deletion session did not delete one of four: $(session_line 2)"
    mailbox_ids > "$WORK/ids-after"
    local gone added
    gone=$(comm -23 "$WORK/ids-before" "$WORK/ids-after" | tr '\n' ' ')
    added=$(comm -13 "$WORK/ids-before" "$WORK/ids-after" | tr '\n' ' ')
    [ "$gone" = '<e2e-3@pop3check.test> ' ] && [ -z "$added" ] ||
        fail "the Maildir lost '$gone' and gained '$added'; only <e2e-3@pop3check.test> (row 2) should be gone"
}

viewer_open() { buttons_enabled && status_shown; }

open_header() {
    double_click_row 1
    wait_until 30 "the header session to end with QUIT" sessions_done 4
    wait_until 10 "the header in the viewer" viewer_open
    session_line 4 | grep -q 'top=1/' || fail "the header view fetched no single header: $(session_line 4)"
}

open_body() {
    double_click_viewer
    wait_until 30 "the box \"Attachment(s) Placed In ...\"" info_box >/dev/null
    [ -f "$DATA/$ATTACHMENT" ] || fail "the box is shown but $DATA/$ATTACHMENT is missing"
    shot attachment-box
    local box; box=$(info_box)
    xdo windowactivate --sync "$box" key Return
    wait_until 10 "the attachment box to close" info_box_gone
    wait_until 30 "the body session to end with QUIT" sessions_done 5
    wait_until 10 "the body in the viewer" viewer_open
    session_line 5 | grep -q 'retr=1/' || fail "the body view retrieved no single message: $(session_line 5)"
    cmp -s "$DATA/$ATTACHMENT" "$MAIL/attachment/$ATTACHMENT" ||
        fail "$DATA/$ATTACHMENT differs from the attachment that was sent"
}

close_viewer() {
    xdo key Escape
    wait_until 10 "Esc to close the viewer" status_hidden
}

# Minimised, the window leaves the screen for the tray; a right click on
# the tray icon opens its menu, whose "Restore" brings the window back.
via_tray() {
    xdo windowminimize "$MAIN_WID"
    wait_until 10 "the minimised window to leave the screen" main_window_hidden
    shot minimised-to-tray
    local tx ty tw th
    read -r tx ty tw th < <(window_box "$(tray_window)") || fail "the tray panel has gone"
    xdo mousemove --sync $((tx + tw / 2)) $((ty + th / 2)) click 3
    wait_until 10 "the tray icon's menu" tray_menu >/dev/null
    shot tray-menu
    local mx my mw mh
    read -r mx my mw mh < <(window_box "$(tray_menu)") || fail "the tray menu has gone"
    # "Restore" is the menu's only item.
    xdo mousemove --sync $((mx + mw / 2)) $((my + mh / 2)) click 1
    wait_until 10 "Restore to bring the window back" main_window >/dev/null
    locate_window
    wait_until 10 "the restored window to be idle" window_idle
}

# resize_window W H: the main window's client area to W x H, waiting until
# the screen shows it so.
window_is_sized() { locate_window; [ "$WW" = "$1" ] && [ "$WH" = "$2" ]; }
resize_window() {
    locate_window
    xdo windowsize "$MAIN_WID" "$1" "$2"
    wait_until 10 "the window to take the size $1x$2" window_is_sized "$1" "$2"
}

# The captions over the list that show and hide the rule edits ("Size:"
# last); the size rule's edit is white inside, the window behind it grey.
size_rule_shown() {
    local v; v=$(import -window root -crop "$(area 597 75 22 13)" -format '%[fx:mean]' info:- 2>/dev/null)
    awk -v v="${v:-0}" 'BEGIN { exit !(v > 0.98) }'
}
size_rule_hidden() { ! size_rule_shown; }
toggle_rule_edits() {
    local left
    for left in 24 234 562; do click_at $((left + 6)) $((79 + 6)); done
}

program_ended() { ! pid_alive "$APP_PID"; }
tray_is_empty() { ! tray_has_icon; }

exit_program() {
    click_exit
    wait_until 15 "Exit to end the program" program_ended
    local rc=0
    wait "$APP_PID" || rc=$?
    APP_PID=
    [ "$rc" = 0 ] || fail "the program ended with status $rc"
    wait_until 10 "the program's icon to leave the tray" tray_is_empty
    tr -d '\r' < "$DATA/pop3.ini" > "$WORK/pop3.ini.saved"
    grep -qx 'Password=' "$WORK/pop3.ini.saved" || fail "the typed password was saved although Save was not ticked"
    grep -qx 'Server=127.0.0.1:995' "$WORK/pop3.ini.saved" || fail "the server setting was not kept"
}

# The second mailbox: section EMAIL2, named, with the same server.
add_second_mailbox() {
    printf '%s\r\n' '[EMAIL2]' 'Server=127.0.0.1:995' 'UserID=user02' 'Password=' "TLSCAFile=$SERVER_DIR/tls/ca.pem" \
        'Name=Second' >> "$DATA/pop3.ini"
}

user02_session_line() { grep 'pop3(user02).*Disconnected: Logged out' "$DOVECOT_LOG" | sed -n "${1}p"; }
user02_sessions_done() { [ "$(grep -c 'pop3(user02).*Disconnected: Logged out' "$DOVECOT_LOG" || true)" -ge "$1" ]; }

# The program's pop-up menus open on the screen (override-redirect windows
# on the root window, as tray_menu finds them).
popup_count() {
    local w n=0
    for w in $(xdotool search --onlyvisible --class pop3check 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xwininfo -id "$w" -tree 2>/dev/null | grep -q 'Parent window id: .*(the root window)' && n=$((n + 1))
    done
    echo "$n"
}
popups_open() { [ "$(popup_count)" -ge "$1" ]; }
popups_closed() { [ "$(popup_count)" = 0 ]; }

# switch_mailbox N: a right click on the window between the first two
# buttons (outside every control) opens its menu; "m" opens "&Mailboxes",
# N chooses "&N ...".
switch_mailbox() {
    click_at $((188 + 19)) $((416 + 12)) 3
    wait_until 10 "the window's menu" popups_open 1
    shot window-menu
    xdo key m
    wait_until 10 "the Mailboxes submenu" popups_open 2
    shot mailboxes-menu
    xdo key "$1"
    wait_until 10 "the menu to close" popups_closed
    wait_until 10 "the window to be idle after choosing mailbox $1" window_idle
}

# ------------------------------------------------------------------- run
setup_server
start_x
start_wm
start_tray
write_settings
start_program
shot started
click_password
xdo type --delay 40 pass01
shot password-typed
check_mail 1 4
shot checked
click_tick_box 1
shot row-ticked
delete_ticked
shot deleted
# From here on implicit TLS: the server typed with port 995.
click_server
xdo key ctrl+a
xdo type --delay 40 127.0.0.1:995
check_mail 3 3
shot checked-again
# The smallest window the design is drawn for: every control, column and
# font shrinks with it (a screenshot to look at), then back to the design.
resize_window 400 300
shot small-window
resize_window "$DESIGN_W" "$DESIGN_H"
open_header
shot header
open_body
shot body
close_viewer
shot viewer-closed
via_tray
shot restored
exit_program
shot exited
sessions_done 5
[ "$(login_count)" = 5 ] && [ "$(logout_count)" = 5 ] ||
    fail "expected 5 sessions each ended by QUIT, the log shows $(login_count) log-ins and $(logout_count) QUITs"
# Sessions 1 and 2 took STLS on port 110 (Auto, the server lists it), 3 to 5
# implicit TLS on port 995: every log-in ran over TLS.
[ "$(tls_login_count)" = 5 ] || fail "only $(tls_login_count) of 5 log-ins ran over TLS"
# The window at a scale factor of 2, as on a high-density screen: controls,
# fonts and icons drawn twice the size (screenshots to look at), and a
# check and a header view work there as well.
SCALE_FACTOR=2 start_program
shot scale-2-started
click_password
xdo type --delay 40 pass01
check_mail 6 3
shot scale-2-checked
open_header
shot scale-2-header
close_viewer
exit_program
# The window in German and in French at the design's size: every caption
# and status text must show whole in the fixed layout (screenshots to
# look at); a check and a header view speak the language too.
# The scale-2 run took sessions 6 and 7.
session=8
for language in de fr; do
    PROGRAM_LANGUAGE=$language start_program
    shot "$language-started"
    # The rule edits beside their captions (a click on "From:", "Subject:",
    # "Size:" shows each; a second click hides it again).
    toggle_rule_edits
    wait_until 10 "the rule edits to show" size_rule_shown
    shot "$language-rule-edits"
    toggle_rule_edits
    wait_until 10 "the rule edits to hide" size_rule_hidden
    click_password
    xdo type --delay 40 pass01
    check_mail "$session" 3
    shot "$language-checked"
    open_header
    shot "$language-header"
    close_viewer
    exit_program
    session=$((session + 2))
done
# A second mailbox in the settings: chosen from the window's menu (Shift+F10,
# "&Mailboxes", "&2 ..."), checked, and the first chosen again.
add_second_mailbox
start_program
switch_mailbox 2
shot second-mailbox-chosen
click_password
xdo type --delay 40 pass02
click_check
wait_until 30 "the second mailbox's session to end with QUIT" user02_sessions_done 1
wait_until 10 "the window to be idle after the second mailbox's check" window_idle
shot second-mailbox-checked
user02_session_line 1 | grep -q 'top=2/' || fail "the second mailbox's check fetched not 2 headers: $(user02_session_line 1)"
switch_mailbox 1
click_password
xdo type --delay 40 pass01
check_mail "$session" 3
shot first-mailbox-again
exit_program
tr -d '\r' < "$DATA/pop3.ini" | grep -qx 'UserID=user02' || fail "the second mailbox was not kept in the settings"
echo "e2e: PASSED: 5 POP3 sessions over TLS (STLS, then implicit) each ended by QUIT, exactly the ticked message deleted, attachment intact; a second mailbox chosen from the menu, checked, and the first chosen again ($(( ($(now_ms) - START_MS) / 1000 )) s)"
