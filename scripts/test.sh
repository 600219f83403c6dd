#!/usr/bin/env bash
# Installs what is needed, builds everything and runs all tests twice: a normal build,
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

# The normal build carries no debug information: it compiles a third faster, and the sanitizer
# build below keeps line numbers for the stacks of its findings.
"$top/scripts/build.sh" "$top/build" -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG"
(cd "$top/build" && ctest --output-on-failure -j "$jobs")

"$top/scripts/build.sh" "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON -DQM_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$top/build-asan" && ctest --output-on-failure -j "$jobs")

# Fuzzing smoke run: every fuzz target for 20 seconds, two at a time, in a clang build of only
# the fuzz targets, with a fixed seed so that a run can be repeated (QM_FUZZ_SEED chooses
# another); a finding fails the run. QM_FUZZ_SMOKE=0 leaves it out.
if [ "${QM_FUZZ_SMOKE:-1}" != 0 ]; then
  QM_FUZZ_WORK="$top/build-fuzz/corpora" QM_FUZZ_NICE=0 QM_FUZZ_SEED=${QM_FUZZ_SEED:-1} "$top/fuzz/campaign.sh" 20
fi
