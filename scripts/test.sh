#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing, starts
# the private POP3 test servers (Dovecot, and Courier's pop3d beside it on a
# port and folder of its own), runs ctest, and stops both servers again;
# then the end-to-end run of the program (scripts/e2e.sh) and a short fuzzing
# pass.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
scripts/install-deps.sh --with-tests
scripts/build.sh

export QT_QPA_PLATFORM=offscreen
SERVER_DIR=$(mktemp -d /tmp/pop3check-tests.XXXXXX)
COURIER_DIR=$(mktemp -d /tmp/pop3check-courier.XXXXXX)
export POP3CHECK_TEST_SERVER_DIR="$SERVER_DIR"
export POP3CHECK_TEST_COURIER_DIR="$COURIER_DIR"
# Each stop ends only the processes named by its instance's pid files.
cleanup() {
  "$ROOT/scripts/pop3-server.sh" --dir "$SERVER_DIR" stop >/dev/null 2>&1 || true
  "$ROOT/scripts/pop3-server-courier.sh" --dir "$COURIER_DIR" stop >/dev/null 2>&1 || true
}
trap cleanup EXIT
scripts/pop3-server.sh --dir "$SERVER_DIR" --port auto start
scripts/pop3-server-courier.sh --dir "$COURIER_DIR" --port auto start

# Every stage runs even when an earlier one failed, so one run reports all
# of them; ctest comes last so that its summary closes the output.
failed=()

# The built program driven end to end under Xvfb against its own Dovecot in
# a private network namespace (root only: as another user it is skipped).
# Screenshots of its steps stay in build/e2e-shots.
scripts/e2e.sh --build build || failed+=(e2e)

# The Debian package: built, checked by lintian, unpacked into a temporary
# root, its desktop entry, icons, metadata and manual page validated.
scripts/check-package.sh --build build || failed+=(package)

# A short fuzzing pass of the parsers under the sanitizers (clang build in
# build-fuzz), with the saved regression inputs replayed; a finding fails
# the test run.
scripts/fuzz.sh --seconds "${POP3CHECK_FUZZ_SECONDS:-15}" || failed+=(fuzz)

(cd build && ctest --output-on-failure -j 2 --timeout 600) || failed+=(ctest)

if [ ${#failed[@]} -gt 0 ]; then
  echo "test: failed stages: ${failed[*]}"
  exit 1
fi
