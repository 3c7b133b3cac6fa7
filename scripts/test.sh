#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing, starts
# the private POP3 test server, runs ctest, and stops the server again.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --with-tests
scripts/build.sh

export QT_QPA_PLATFORM=offscreen
SERVER_DIR=$(mktemp -d /tmp/pop3check-tests.XXXXXX)
export POP3CHECK_TEST_SERVER_DIR="$SERVER_DIR"
cleanup() { scripts/pop3-server.sh --dir "$SERVER_DIR" stop >/dev/null 2>&1 || true; }
trap cleanup EXIT
if [ -x scripts/pop3-server.sh ]; then
  scripts/pop3-server.sh --dir "$SERVER_DIR" --port auto start
fi

cd build
ctest --output-on-failure -j 2 --timeout 600
