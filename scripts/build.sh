#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [cmake options...]
# QM_BUILD_TARGETS (blank-separated) builds only those targets instead of everything.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
launcher=()
# ccache only speeds up rebuilds; a machine without it builds the same way. Objects are shared
# between checkouts and build folders of the same sources (only the debug information's build
# folder would differ).
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
# Paths below the checkout are hashed relative to it, so that checkouts in other places hit too.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top}
# Without these ccache refuses every compile that uses the precompiled header, i.e. nearly all.
export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache); fi
cmake -S "$top" -B "$dir" -G Ninja "${launcher[@]}" "$@" | tail -n 3
targets=()
for t in ${QM_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
