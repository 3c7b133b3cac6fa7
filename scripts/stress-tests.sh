#!/usr/bin/env bash
# Runs the whole ctest suite repeatedly while both cores are kept busy, to
# show that no test depends on timing: every run is
# `ctest -j 4 --repeat until-fail:3`, under `stress-ng --cpu` on every core.
# Not part of scripts/test.sh (it takes long); build first (scripts/build.sh).
#
#   scripts/stress-tests.sh [--runs N]     (default 10)
#
# Starts the private Dovecot and Courier as scripts/test.sh does and stops
# them, and the load, by their pids at the end. Exits non-zero at the first
# failing run; the ctest output of every run is in build/stress-logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
RUNS=10
case "${1:-}" in
  --runs) RUNS=${2:?--runs needs a number} ;;
  "") ;;
  *) echo "usage: scripts/stress-tests.sh [--runs N]" >&2; exit 2 ;;
esac
[ -d build ] || { echo "stress: no build/ yet: run scripts/build.sh first" >&2; exit 2; }
if ! command -v stress-ng >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends stress-ng
fi

export QT_QPA_PLATFORM=offscreen
. scripts/test-servers.sh
LOAD_PID=""
cleanup() {
  [ -n "$LOAD_PID" ] && kill "$LOAD_PID" 2>/dev/null && wait "$LOAD_PID" 2>/dev/null
  stop_test_servers
}
trap cleanup EXIT
start_test_servers stress

stress-ng --cpu "$(nproc)" --quiet &
LOAD_PID=$!

LOGS=build/stress-logs
mkdir -p "$LOGS"
for run in $(seq 1 "$RUNS"); do
  start=$(date +%s)
  if ! (cd build && ctest -j 4 --repeat until-fail:3 --timeout 600 --output-on-failure) >"$LOGS/run-$run.log" 2>&1; then
    echo "stress: run $run of $RUNS FAILED (log: $LOGS/run-$run.log)"
    grep -E '\(Failed\)|\*\*\*Timeout|Exception' "$LOGS/run-$run.log" | head -20
    exit 1
  fi
  echo "stress: run $run of $RUNS passed in $(( $(date +%s) - start )) s: $(grep -E 'tests passed' "$LOGS/run-$run.log")"
done
echo "stress: $RUNS runs passed, 0 failed"
