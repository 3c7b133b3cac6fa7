#!/usr/bin/env bash
# Configures and builds the project into build/ (Release with debug info).
#
#   scripts/build.sh [TARGET...]
#
# With targets, only those are built (scripts/run.sh builds just the
# program); without, everything: the program, its tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
