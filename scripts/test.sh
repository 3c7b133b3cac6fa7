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
. scripts/test-servers.sh
trap stop_test_servers EXIT
start_test_servers tests

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

# Every address of a host is tried in turn: under a hosts file of its own (a
# private mount namespace, root only) "dualhost" is ::1 and then 127.0.0.1,
# and only 127.0.0.1 answers.
if [ "$(id -u)" = 0 ] && command -v unshare >/dev/null; then
  printf '127.0.0.1 localhost\n::1 dualhost\n127.0.0.1 dualhost\n' > "$TLS_DIR/hosts"
  POP3CHECK_TEST_DUAL_STACK_HOST=dualhost unshare -m sh -c 'mount --bind "$1" /etc/hosts && exec "$2" --gtest_filter="*EveryAddressOfTheHost*"' \
    sh "$TLS_DIR/hosts" build/tests/pop3/pop3_tests || failed+=(dual-stack)
fi

(cd build && ctest --output-on-failure -j 2 --timeout 600) || failed+=(ctest)

if [ ${#failed[@]} -gt 0 ]; then
  echo "test: failed stages: ${failed[*]}"
  exit 1
fi
