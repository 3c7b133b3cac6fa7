#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and the
# tests need and the machine lacks. Safe to run again: it installs nothing
# that is already there.
set -euo pipefail

BUILD_PACKAGES=(cmake g++ make ninja-build pkg-config qt6-base-dev qt6-multimedia-dev libgtest-dev libgmock-dev libssl-dev
  libgl-dev qt6-qpa-plugins dpkg-dev file qtkeychain-qt6-dev qt6-tools-dev qt6-l10n-tools)
# Courier's pop3d (the second test server) is not installed: it conflicts
# with dovecot-pop3d, so scripts/pop3-server-courier.sh unpacks its packages
# into a cache and runs them with these libraries, unshare and mount.
TEST_PACKAGES=(dovecot-pop3d dovecot-core openssl coreutils sharutils python3 xvfb xauth xdotool imagemagick
  iproute2 util-linux procps mount libgdbm6 libidn12 libltdl7 clang-14 libclang-rt-14-dev
  x11-utils openbox trayer
  desktop-file-utils appstream lintian man-db dbus-daemon dbus-bin python3-dbus python3-gi
  gnome-keyring at-spi2-core python3-pyatspi weston qt6-wayland qt6-translations-l10n)

# The peers that scripts/bench.sh measures beside the program, and the heap
# profiler of the soak benchmark's HEAPTRACK mode.
BENCH_PACKAGES=(mpop curl heaptrack)

want=("${BUILD_PACKAGES[@]}")
for option in "$@"; do
  case $option in
    --with-tests) want+=("${TEST_PACKAGES[@]}") ;;
    --with-bench) want+=("${BENCH_PACKAGES[@]}") ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
