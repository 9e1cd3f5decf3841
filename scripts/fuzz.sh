#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in build-fuzz/ and runs them.
#   scripts/fuzz.sh [SECONDS] [TARGET...]  each target (default: all) for SECONDS (default 60),
#                                          one after the other, from its seeds and what earlier
#                                          runs found (build-fuzz/corpus/<target>/)
#   scripts/fuzz.sh --corpus-only          each target once over its committed seeds: a
#                                          regression check of seconds
# A fault stops a target and leaves its input in build-fuzz/findings/<target>/; the script then
# fails. Needs clang with libFuzzer (Debian: clang, libclang-rt-14-dev).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
corpus_only=0
if [ "${1:-}" = "--corpus-only" ]; then
  corpus_only=1
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
all_targets=(fuzz_parse_real fuzz_format_number fuzz_read_input fuzz_simulation fuzz_jpeg fuzz_sheet fuzz_xlsx fuzz_ods)
targets=("$@")
if ((${#targets[@]} == 0)); then targets=("${all_targets[@]}"); fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVIRASVET_FUZZ=ON -DVIRASVET_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
if ! grep -q '^VIRASVET_COMPILER_HAS_LIBFUZZER:INTERNAL=1$' build-fuzz/CMakeCache.txt; then
  echo "clang brings no libFuzzer here: no fuzz targets (Debian: libclang-rt-14-dev)"
  exit $((corpus_only ? 0 : 1))
fi
cmake --build build-fuzz -j2 --target "${targets[@]}"

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
  seeds=fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  mkdir -p "$findings"
  if ((corpus_only)); then
    # Inputs given one by one are only run, never added to.
    log=build-fuzz/$target.corpus.log
    if ! build-fuzz/fuzz/"$target" -artifact_prefix="$findings/" "$seeds"/* >"$log" 2>&1; then
      echo "$target: FAILED on its corpus ($log):"
      grep -E '^(Running:|Broken:)|ERROR|SUMMARY' "$log" | tail -n 20
      failed=1
    else
      echo "$target: $(find "$seeds" -type f | wc -l) corpus inputs passed"
    fi
    continue
  fi
  work=build-fuzz/corpus/$target
  mkdir -p "$work"
  echo "$target: fuzzing for $seconds s (log build-fuzz/$target.log)"
  if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=300 -rss_limit_mb=4096 \
       -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$seeds" \
       >"build-fuzz/$target.log" 2>&1; then
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/$target.log")
  # Slow inputs are noted there too, but are no fault.
  found=$(find "$findings" -type f ! -name 'slow-unit-*' | wc -l)
  echo "$target: ${runs:-?} executions, $found faulty inputs in $findings"
done
exit "$failed"
