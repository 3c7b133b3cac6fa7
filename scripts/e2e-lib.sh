# e2e-lib.sh -- helpers of scripts/e2e.sh (sourced, not run): waiting with a
# bound, the X session (Xvfb, a window manager, a tray host), finding and
# clicking the program's controls, reading the screen and the server's log.
#
# Expects from the caller: fail MESSAGE (exits), WORK (a private folder),
# SHOTS (the screenshot folder).

# Design size of the main window's client area; control positions below are
# design pixels, scaled to the window's actual size (see app/WindowLayout.cpp).
DESIGN_W=631
DESIGN_H=452
PANEL_X=8
PANEL_Y=6
ROW_H=21

now_ms() { local t=${EPOCHREALTIME/./}; echo $((10#$t / 1000)); }

# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 0.1 s until it
# succeeds; fails naming WHAT when SECONDS pass first.
wait_until() {
    local seconds=$1 what=$2; shift 2
    local end=$(( $(now_ms) + seconds * 1000 ))
    until "$@"; do
        [ "$(now_ms)" -lt "$end" ] || fail "timed out after ${seconds} s waiting for: $what"
        sleep 0.1
    done
}

shot_number=0
# shot NAME: a screenshot of the whole screen into SHOTS/NN-NAME.png.
shot() {
    shot_number=$((shot_number + 1))
    local file; file=$(printf '%s/%02d-%s.png' "$SHOTS" "$shot_number" "$1")
    import -window root "$file" 2>/dev/null || fail "screenshot $file failed"
    echo "e2e: step $shot_number: $1"
}

# ------------------------------------------------------------- the X session
pid_alive() { [ -d "/proc/$1" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }

# start_x: Xvfb on a free display (it picks the number), then DISPLAY is set.
start_x() {
    Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    wait_until 10 "Xvfb to start" test -s "$WORK/display"
    export DISPLAY=":$(tr -dc 0-9 < "$WORK/display")"
    wait_until 10 "Xvfb to accept clients" x_ready
}
x_ready() { xprop -root _NET_NONE >/dev/null 2>&1; }

# openbox minimises (iconifies) and decorates like a desktop would.
start_wm() {
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    wait_until 10 "openbox to manage the screen" wm_running
}
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# trayer: a system tray (the XEmbed notification area) at the bottom right;
# it grows to the width of the icons docked in it.
start_tray() {
    trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
        --transparent false --tint 0x404040 >"$WORK/trayer.log" 2>&1 &
    TRAY_PID=$!
    wait_until 10 "trayer to show its panel" tray_window >/dev/null
}
# The tray panel's window id: trayer's visible window.
tray_window() { xdotool search --onlyvisible --class trayer 2>/dev/null | tail -n 1 | grep .; }
# True when an icon is docked: the panel is at least one icon wide.
tray_has_icon() {
    local w width; w=$(tray_window) || return 1
    width=$(window_box "$w" | cut -d' ' -f3)
    [ "${width:-0}" -ge 16 ]
}

# window_box WID: "x y width height" of the window's inside on the screen.
# (xdotool's geometry counts a reparenting window manager's frame wrongly.)
window_box() {
    xwininfo -id "$1" 2>/dev/null | awk -F: '
        /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
        /^ *Width/ { w = $2 } /^ *Height/ { h = $2 }
        END { if (w == "") exit 1; printf "%d %d %d %d\n", x, y, w, h }'
}

# stop_pid PID NAME: TERM, then KILL when it does not end within 5 s.
stop_pid() {
    local pid=$1
    [ -n "$pid" ] && pid_alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    local end=$(( $(now_ms) + 5000 ))
    while pid_alive "$pid" && [ "$(now_ms)" -lt "$end" ]; do sleep 0.1; done
    pid_alive "$pid" && { echo "e2e: $2 (pid $pid) ignored TERM; killing it" >&2; kill -KILL "$pid" 2>/dev/null; }
    wait "$pid" 2>/dev/null || true
}

# ---------------------------------------------------------- the main window
MAIN_NAME='Check / Delete Utility'

main_window() { xdotool search --onlyvisible --name "$MAIN_NAME" 2>/dev/null | head -n 1 | grep .; }
main_window_hidden() { ! main_window >/dev/null; }
# program_window TYPE: a visible window of the program whose window type is
# _NET_WM_WINDOW_TYPE_TYPE (DIALOG: a message box).
program_window() {
    local w
    for w in $(xdotool search --onlyvisible --class pop3check 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_NET_WM_WINDOW_TYPE_$1\b" && { echo "$w"; return 0; }
    done
    return 1
}
info_box() { program_window DIALOG; }
info_box_gone() { ! info_box >/dev/null; }
# The tray icon's menu: the program's visible pop-up (override-redirect)
# window straight on the root window; the icon's own window, also one,
# sits inside the tray panel.
tray_menu() {
    local w
    for w in $(xdotool search --onlyvisible --class pop3check 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
        xwininfo -id "$w" -tree 2>/dev/null | grep -q 'Parent window id: .*(the root window)' && { echo "$w"; return 0; }
    done
    return 1
}

# locate_window: MAIN_WID and its client area WX WY WW WH on the screen.
locate_window() {
    MAIN_WID=$(main_window) || fail "the main window is not on screen"
    read -r WX WY WW WH < <(window_box "$MAIN_WID") || fail "cannot read the main window's geometry"
}

# point DX DY: the screen position "x y" of design point DX,DY.
point() { echo "$(( WX + ($1 * WW + DESIGN_W / 2) / DESIGN_W )) $(( WY + ($2 * WH + DESIGN_H / 2) / DESIGN_H ))"; }
# area DX DY DW DH: an ImageMagick crop geometry for a design rectangle.
area() {
    local x0 y0 x1 y1
    read -r x0 y0 < <(point "$1" "$2")
    read -r x1 y1 < <(point $(( $1 + $3 )) $(( $2 + $4 )))
    echo "$((x1 - x0))x$((y1 - y0))+$x0+$y0"
}

# xdo ARGS...: xdotool with a bound (its --sync waits have none).
xdo() { timeout 10 xdotool "$@" || fail "xdotool $* did not succeed within 10 s"; }

click_at() {     # click_at DX DY [BUTTON [REPEAT]]
    local x y
    read -r x y < <(point "$1" "$2")
    xdo mousemove --sync "$x" "$y" click --repeat "${4:-1}" --delay 120 "${3:-1}"
}

# Controls, centre points in design pixels (app/WindowLayout.cpp).
click_password()  { click_at $((PANEL_X + 253 + 50)) $((PANEL_Y + 23 + 10)); }
click_server()    { click_at $((PANEL_X + 13 + 50)) $((PANEL_Y + 23 + 10)); }
click_check()     { click_at $((8 + 90)) $((416 + 12)); }
click_delete()    { click_at $((226 + 90)) $((416 + 12)); }
click_exit()      { click_at $((444 + 90)) $((416 + 12)); }
# The list starts at 8,96; column 0 (17 wide) holds the tick box, column 2
# the subject.
click_tick_box()  { click_at $((8 + 9)) $((96 + $1 * ROW_H + ROW_H / 2)); }
double_click_row() { click_at $((8 + 17 + 209 + 100)) $((96 + $1 * ROW_H + ROW_H / 2)) 1 2; }
double_click_viewer() { click_at $((8 + 300)) $((96 + 150)) 1 2; }

CONVERT=$(command -v convert-im6.q16 || echo /usr/bin/convert)

# The darkest pixel of the "Check Mail Headers" caption: black while the
# buttons are enabled, grey while a command runs.
buttons_enabled() {
    local v; v=$(import -window root -crop "$(area 50 422 96 12)" -format '%[fx:minima.intensity]' info:- 2>/dev/null)
    awk -v v="${v:-1}" 'BEGIN { exit !(v < 0.3) }'
}
# The magenta status text above the list ("Connecting ...", "Header - ESC
# to close"): any strongly magenta pixel in its strip.
status_shown() {
    local v
    v=$(import -window root -crop "$(area 8 63 615 15)" miff:- 2>/dev/null |
        "$CONVERT" miff:- -fx 'r > 0.6 && g < 0.35 && b > 0.6' -format '%[fx:maxima.intensity]' info:- 2>/dev/null)
    awk -v v="${v:-0}" 'BEGIN { exit !(v > 0.5) }'
}
status_hidden() { ! status_shown; }
window_idle() { buttons_enabled && status_hidden; }

# ------------------------------------------------------------ server side
login_count()   { grep -c 'Login: user=<user01>' "$DOVECOT_LOG" || true; }
tls_login_count() { grep 'Login: user=<user01>' "$DOVECOT_LOG" | grep -c ' TLS' || true; }
logout_count()  { grep -c 'pop3(user01).*Disconnected: Logged out' "$DOVECOT_LOG" || true; }
# sessions_done N: N sessions of user01 have ended with QUIT. Fails at once
# when one ended any other way, the log-in was refused or the program shows
# a message box instead.
sessions_done() {
    local other
    other=$(grep 'pop3(user01).*Disconnected' "$DOVECOT_LOG" | grep -v 'Disconnected: Logged out' || true)
    [ -z "$other" ] || fail "a session ended without QUIT: $other"
    other=$(grep -E '\(user01,.*Password mismatch|pop3-login: .*auth failed.*user=<user01>' "$DOVECOT_LOG" || true)
    [ -z "$other" ] || fail "the server refused the log-in: $other"
    [ "$(logout_count)" -ge "$1" ] && return 0
    info_box >/dev/null && fail "the program shows a message box instead (see the screenshot failure.png)"
    return 1
}
# The n-th session's log-out line (1-based).
session_line() { grep 'pop3(user01).*Disconnected: Logged out' "$DOVECOT_LOG" | sed -n "${1}p"; }

# Message-IDs in user01's Maildir, sorted, one a line.
mailbox_ids() {
    local md=$SERVER_DIR/mail/user01/Maildir
    find "$md/cur" "$md/new" -maxdepth 1 -type f -exec grep -h -i -m 1 '^Message-ID:' {} + \
        | sed 's/^[^:]*:[[:space:]]*//' | tr -d '\r' | sort
}
