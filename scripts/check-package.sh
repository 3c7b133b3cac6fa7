#!/usr/bin/env bash
# Builds the Debian package from an already built tree (default build/),
# runs lintian on it, unpacks it into a temporary root and checks that the
# desktop finds what it needs where it looks: the program in /usr/bin, the
# menu entry, the icon in the hicolor theme, the AppStream metadata, the
# manual page and the compiled translations; then validates them with the freedesktop and AppStream tools
# and runs the unpacked program's command line.
#
#   scripts/check-package.sh [--build DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build
[ "${1:-}" = "--build" ] && BUILD=$2

fail() { echo "check-package: $*" >&2; exit 1; }

cmake --build "$BUILD" --target pop3check desktop_data >/dev/null
rm -f "$BUILD"/package/pop3check_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD"/package/pop3check_*.deb)
echo "check-package: built $DEB"

LINTIAN_ARGS=(--fail-on error,warning --pedantic)
[ "$(id -u)" -eq 0 ] && LINTIAN_ARGS+=(--allow-root)
lintian "${LINTIAN_ARGS[@]}" "$DEB" || fail "lintian found problems in $DEB"

ROOT=$(mktemp -d /tmp/pop3check-package.XXXXXX)
trap 'rm -rf "$ROOT"' EXIT
dpkg -x "$DEB" "$ROOT"

APP_ID=org.pop3check.pop3check
DESKTOP=$ROOT/usr/share/applications/$APP_ID.desktop
METAINFO=$ROOT/usr/share/metainfo/$APP_ID.metainfo.xml
MAN=$ROOT/usr/share/man/man1/pop3check.1.gz
for f in "$ROOT/usr/bin/pop3check" "$DESKTOP" "$METAINFO" "$MAN" \
         "$ROOT/usr/share/icons/hicolor/scalable/apps/pop3check.svg" \
         "$ROOT/usr/share/pop3check/translations/pop3check_de.qm" \
         "$ROOT/usr/share/pop3check/translations/pop3check_fr.qm"; do
  [ -f "$f" ] || fail "missing from the package: ${f#"$ROOT"}"
done

desktop-file-validate "$DESKTOP" || fail "desktop-file-validate rejects ${DESKTOP#"$ROOT"}"
appstreamcli validate --no-net --pedantic "$METAINFO" || fail "appstreamcli rejects ${METAINFO#"$ROOT"}"
appstreamcli validate-tree --no-net "$ROOT" || fail "appstreamcli rejects the installed tree"

# The menu entry starts the installed program and names an installed icon,
# and every themed PNG has the size of the folder it sits in.
exec_line=$(sed -n 's/^Exec=//p' "$DESKTOP")
[ -x "$ROOT/usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
python3 - "$ROOT/usr/share/icons/hicolor" "$icon" <<'PY' || fail "the themed icons are wrong"
import struct, sys, pathlib
theme, name = pathlib.Path(sys.argv[1]), sys.argv[2]
pngs = sorted(theme.glob(f"*x*/apps/{name}.png"))
sizes = {int(p.parts[-3].split("x")[0]) for p in pngs}
missing = {16, 22, 24, 32, 48, 64, 128, 256} - sizes
if missing:
    sys.exit(f"no {name}.png for sizes {sorted(missing)}")
for p in pngs:
    data = p.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{p} is not a PNG")
    w, h = struct.unpack(">II", data[16:24])
    want = int(p.parts[-3].split("x")[0])
    if (w, h) != (want, want):
        sys.exit(f"{p} is {w}x{h}, not {want}x{want}")
PY

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$MAN" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has formatting problems: $warnings"
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$MAN" 2>/dev/null | grep -q -- "--minimized" ||
  fail "the manual page does not describe --minimized"

# The unpacked program answers on its command line without a display.
version=$(dpkg-deb -f "$DEB" Version)
got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$ROOT/usr/bin/pop3check" --version)
[ "$got" = "pop3check $version" ] || fail "--version says '$got', the package is $version"
env -u DISPLAY -u WAYLAND_DISPLAY "$ROOT/usr/bin/pop3check" --help | grep -q -- "--minimized" ||
  fail "--help does not list --minimized"
set +e
err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$ROOT/usr/bin/pop3check" --no-such-option 2>&1 >/dev/null)
status=$?
set -e
[ "$status" -eq 2 ] || fail "an unknown option exits with $status, not 2"
echo "$err" | grep -q "unknown option '--no-such-option'" || fail "an unknown option says '$err'"

echo "check-package: OK ($(basename "$DEB"))"
