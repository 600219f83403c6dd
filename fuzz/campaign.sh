#!/usr/bin/env bash
# Fuzzing campaign: fuzz/campaign.sh [SECONDS]
#
# Builds the fuzzing build (clang, libFuzzer, ASan and UBSan) when needed, runs every fuzz
# target for SECONDS (default 600) with one target per core, and ends with one line per target:
#   fuzz_emf: 1234567 executions, 2345/s, coverage 4567, 0 findings
# Findings are minimised into fuzz/crashes/<target>/, where CTest replays them; the script then
# exits 1. Each target's working corpus lives outside the repository and grows from run to run.
#
# Environment:
#   QM_FUZZ_BUILD    build tree (default: build-fuzz beside fuzz/)
#   QM_FUZZ_WORK     working corpora, findings and logs (default: ~/.cache/quillmark-fuzz)
#   QM_FUZZ_JOBS     targets run at the same time (default: number of cores)
#   QM_FUZZ_NICE     nice level of the builds and fuzzers (default 19, so other work comes first)
#   QM_FUZZ_TARGETS  targets to run, separated by blanks (default: all)
#   QM_FUZZ_SEED     seed of libFuzzer's random choices (default: a new one each run); a fixed
#                    seed makes a run from the same corpus repeat its mutations
#   QM_FUZZ_TIMEOUT  seconds one input may take before it counts as a finding (default 30; the
#                    sanitizers and a busy machine make large pictures slow)
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "campaign.sh: Die Laufzeit \"$seconds\" ist keine positive ganze Zahl von Sekunden." >&2
  exit 1
fi
build=${QM_FUZZ_BUILD:-$top/build-fuzz}
work=${QM_FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/quillmark-fuzz}
jobs=${QM_FUZZ_JOBS:-$(nproc)}
nicelevel=${QM_FUZZ_NICE:-19}
timeout=${QM_FUZZ_TIMEOUT:-30}
seed=()
if [[ -n ${QM_FUZZ_SEED:-} ]]; then
  if ! [[ $QM_FUZZ_SEED =~ ^[1-9][0-9]*$ ]]; then
    echo "campaign.sh: Der Startwert QM_FUZZ_SEED=\"$QM_FUZZ_SEED\" ist keine positive ganze Zahl." >&2
    exit 1
  fi
  seed=(-seed="$QM_FUZZ_SEED")
fi
all_targets=(fuzz_address fuzz_catalogue fuzz_language fuzz_librarylist fuzz_document
             fuzz_pathlist fuzz_bmp fuzz_gif fuzz_tiff fuzz_jpeg fuzz_emf fuzz_wmf
             fuzz_metafile_play)
read -r -a targets <<< "${QM_FUZZ_TARGETS:-${all_targets[*]}}"
run=(nice -n "$nicelevel")

# Longest input per target: pictures may be larger than documents and text files.
max_len() {
  case $1 in
    fuzz_bmp|fuzz_gif|fuzz_tiff|fuzz_jpeg|fuzz_emf|fuzz_wmf|fuzz_metafile_play) echo 262144 ;;
    *) echo 65536 ;;
  esac
}

# The fuzzing build: clang with libFuzzer; only the fuzz targets are built.
if [[ ! -f $build/build.ninja ]]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  # Debian's clang-14 package brings clang-14; "clang" only exists with the clang package.
  cc=${CC:-$(command -v clang-14 || echo clang)}
  cxx=${CXX:-$(command -v clang++-14 || echo clang++)}
  CC=$cc CXX=$cxx "${run[@]}" cmake -S "$top" -B "$build" -G Ninja \
    "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" -DQM_FUZZ=ON -DQM_TESTS=OFF \
    -DQM_BENCH=OFF >/dev/null || exit 1
fi
"${run[@]}" cmake --build "$build" -j "$jobs" --target "${targets[@]}" >"$build/fuzz-build.log" 2>&1 ||
  { tail -n 30 "$build/fuzz-build.log" >&2; echo "campaign.sh: Die Fuzzing-Build schlug fehl." >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
# Leaks in fontconfig's and Qt's process-wide caches are no findings; any other leak is.
export LSAN_OPTIONS=suppressions=$top/fuzz/lsan.supp:print_suppressions=0
# Allocation stacks of 8 frames instead of 30: recording them for every allocation took a fifth
# of the time of the text readers' runs. A finding replays with full stacks in the sanitizer
# build.
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1:malloc_context_size=8}
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Only the fonts the bundled documents use (Liberation, which stands in for Arial and Arial
# Narrow), with the system's alias rules. For a character that no font has, Qt tries every
# installed font once per font and script; with all of the system's fonts that took a
# metafile target half its time. Without those fonts the system's set stays.
fontdirs=()
for d in /usr/share/fonts/truetype/liberation2 /usr/share/fonts/truetype/liberation; do
  [[ -d $d ]] && fontdirs+=("$d")
done
if (( ${#fontdirs[@]} > 0 )); then
  mkdir -p "$work/fontconfig"
  {
    echo '<?xml version="1.0"?>'
    echo '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
    echo '<fontconfig>'
    for d in "${fontdirs[@]}"; do echo "  <dir>$d</dir>"; done
    echo "  <cachedir>$work/fontconfig/cache</cachedir>"
    echo '  <include ignore_missing="yes">/etc/fonts/conf.d</include>'
    echo '</fontconfig>'
  } >"$work/fontconfig/fonts.conf"
  export FONTCONFIG_FILE=$work/fontconfig/fonts.conf
fi

# One target: fuzz, then minimise what it found into fuzz/crashes/<target>/.
fuzz_one() {
  local t=$1 dir=$work/$1
  mkdir -p "$dir/corpus" "$dir/findings"
  rm -f "$dir/findings/"*
  local seeds=()
  if [[ -f $build/fuzz/$t.seeds ]]; then
    mapfile -t seeds < <(grep -v '^$' "$build/fuzz/$t.seeds")
  fi
  # A target's dictionary (fuzz/<target>.dict): words of its format the fuzzer inserts whole.
  local dict=()
  [[ -f $top/fuzz/$t.dict ]] && dict=(-dict="$top/fuzz/$t.dict")
  # The processor time it got, for the executions per processor second on a busy machine.
  local TIMEFORMAT='%U %S'
  { time "${run[@]}" "$build/fuzz/$t" -max_len="$(max_len "$t")" -max_total_time="$seconds" "${seed[@]}" "${dict[@]}" \
    -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" "${seeds[@]}" >"$dir/log" 2>&1; } 2>"$dir/cputime"
  local f
  for f in "$dir/findings/"{crash,leak,timeout,oom}-*; do
    [[ -f $f ]] || continue
    mkdir -p "$top/fuzz/crashes/$t"
    local out=$top/fuzz/crashes/$t/$(basename "$f")
    "${run[@]}" "$build/fuzz/$t" -minimize_crash=1 -max_total_time=60 -timeout="$timeout" \
      -exact_artifact_path="$out" "$f" >"$dir/minimise.log" 2>&1
    # A finding that needs the state of earlier inputs may not fail on its own once it is
    # minimised; then the input is kept as it was found, which fails alone.
    if [[ ! -s $out ]] || "${run[@]}" "$build/fuzz/$t" -timeout="$timeout" "$out" >/dev/null 2>&1; then
      cp "$f" "$out"
    fi
  done
}

# Runs the targets, at most $jobs at a time.
running=0
for t in "${targets[@]}"; do
  if (( running >= jobs )); then
    wait -n
    running=$((running - 1))
  fi
  fuzz_one "$t" &
  running=$((running + 1))
done
wait

status=0
cpurates=
for t in "${targets[@]}"; do
  log=$work/$t/log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
  # Slow inputs (slow-unit-*) are kept for a look but are no findings.
  findings=$(find "$work/$t/findings" -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  # A fuzzer that stopped without a finding and without its statistics failed to run.
  if [[ -z $execs && $findings -eq 0 ]]; then
    findings=1
    echo "$t: lief nicht bis zum Ende, siehe $log" >&2
  fi
  echo "$t: ${execs:-0} executions, ${rate:-0}/s, coverage ${cov:-0}, $findings findings"
  cpurates+=$(awk -v t="$t" -v n="${execs:-0}" '{ c = $1 + $2; if (c > 0)
    printf "%s: %d/s over %.0f s of processor time\n", t, n / c, c }' "$work/$t/cputime" 2>/dev/null)
  cpurates+=$'\n'

  (( findings > 0 )) && status=1
done
# On a shared machine the rate per processor second says more about a target's speed.
printf '%s' "$cpurates" >"$work/cpurates"
exit $status
