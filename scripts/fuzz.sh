#!/usr/bin/env bash
# Fuzzes the parsers with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: installs clang when missing, builds the
# harnesses of tests/fuzz in build-fuzz (clang, -O1, POP3CHECK_FUZZ=ON),
# runs each for a bounded time over its seed corpus, then replays the saved
# regression inputs. Prints executions and findings per harness and fails
# when any harness found something.
#
#   scripts/fuzz.sh [--seconds N] [--harness NAME]
#
# POP3CHECK_FUZZ_BUILD_DIR names another build folder (absolute, or relative
# to the project) instead of build-fuzz.
#
# New corpus entries stay in build-fuzz/fuzz-work/<harness>/corpus; a
# finding is written to build-fuzz/fuzz-work/<harness>/ (crash-*, leak-*,
# timeout-*, oom-*). Keep its input in tests/fuzz/regressions/<harness>/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

SECONDS_EACH=60
ONLY=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) SECONDS_EACH="$2"; shift 2 ;;
    --harness) ONLY="$2"; shift 2 ;;
    *) echo "usage: $0 [--seconds N] [--harness NAME]" >&2; exit 2 ;;
  esac
done
case "$SECONDS_EACH" in ''|*[!0-9]*) echo "--seconds needs a whole number" >&2; exit 2 ;; esac

HARNESSES=(pop3_replies summary_header mime_extract uucoder header_text profile_file security_text)
if [ -n "$ONLY" ]; then
  printf '%s\n' "${HARNESSES[@]}" | grep -qx "$ONLY" || { echo "unknown harness $ONLY" >&2; exit 2; }
  HARNESSES=("$ONLY")
fi

FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
missing=()
for p in "${FUZZ_PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  echo "installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD=${POP3CHECK_FUZZ_BUILD_DIR:-build-fuzz}
CXX_FUZZ=$(command -v clang++-14)
# A cache made with another compiler would be dropped by CMake together with
# the options given here; start it afresh instead.
if [ -f "$BUILD/CMakeCache.txt" ] && ! grep -qx "CMAKE_CXX_COMPILER:[A-Z]*=$CXX_FUZZ" "$BUILD/CMakeCache.txt"; then
  rm -f "$BUILD/CMakeCache.txt"
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER="$CXX_FUZZ" -DPOP3CHECK_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" >/dev/null
BUILD_PATH=$(cd "$BUILD" && pwd)
targets=()
for h in "${HARNESSES[@]}"; do targets+=("fuzz_$h"); done
cmake --build "$BUILD" -j "$(nproc)" --target "${targets[@]}" >"$BUILD/fuzz-build.log" 2>&1 ||
  { tail -50 "$BUILD/fuzz-build.log"; echo "fuzz: building the harnesses failed" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

passed=0
failed=0
report=()
for h in "${HARNESSES[@]}"; do
  bin="$BUILD_PATH/tests/fuzz/fuzz_$h"
  work="$BUILD_PATH/fuzz-work/$h"
  mkdir -p "$work/corpus"
  rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*
  args=(-max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$work/")
  [ -f "tests/fuzz/dicts/$h.dict" ] && args+=(-dict="tests/fuzz/dicts/$h.dict")
  log="$work/fuzz.log"
  echo "fuzz: $h for ${SECONDS_EACH} s"
  status=0
  "$bin" "${args[@]}" "$work/corpus" "tests/fuzz/corpus/$h" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  findings=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | wc -l)
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi

  regressions=0
  regression_failures=0
  if [ -d "tests/fuzz/regressions/$h" ]; then
    for input in "tests/fuzz/regressions/$h"/*; do
      [ -f "$input" ] || continue
      regressions=$((regressions + 1))
      if ! "$bin" -timeout=20 "$input" >"$work/regression.log" 2>&1; then
        regression_failures=$((regression_failures + 1))
        echo "fuzz: $h regression input fails again: $input" >&2
        grep -E 'ERROR|property failed|runtime error' "$work/regression.log" | head -5 >&2 || true
      fi
    done
  fi

  if [ "$findings" -gt 0 ]; then
    echo "fuzz: $h found a fault; its log: $log" >&2
    grep -E 'ERROR|property failed|runtime error|Test unit written' "$log" | head -10 >&2 || true
  fi
  report+=("$(printf '%-16s %12s %9s %12s' "$h" "${runs:-0}" "$findings" "$regression_failures/$regressions")")
  if [ "$findings" -eq 0 ] && [ "$regression_failures" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

printf '%-16s %12s %9s %12s\n' harness executions findings regressions
printf '%s\n' "${report[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
