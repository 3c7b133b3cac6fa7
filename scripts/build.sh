#!/usr/bin/env bash
# Configures and builds the project into build/ (Release with debug info).
#
#   scripts/build.sh [TARGET...]
#
# With targets, only those are built (scripts/run.sh builds just the
# program); without, everything: the program, its tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
# A compiler cache, where one is installed, makes rebuilds of other
# checkouts of the same sources (worktrees) cheap; the paths it hashes are
# taken relative to the folder above the checkout.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
