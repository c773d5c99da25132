#!/usr/bin/env bash
# Long fuzz runs, one target at a time and at the lowest priority, so the machine stays usable:
#   scripts/fuzz.sh [--runs N] [--seconds S] [--summary FILE] [target ...]
# Each target stops after N executions (default 10 million) or S seconds (default 1800),
# whichever comes first, or at its first finding. Corpora grow under build/fuzz-long/<target>/
# and are reused by the next run; findings land in build/fuzz-long/<target>/findings/. A table
# of executions per target is printed and written to build/fuzz-long/summary.txt (or FILE: two
# runs over different targets, one per core, keep a table each).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=10000000 seconds=1800 summary='' targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --summary) summary=$2; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" >/dev/null
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(ls tests/fuzz/corpus)
fi

out=build/fuzz-long
mkdir -p "$out"
summary=${summary:-$out/summary.txt}
printf '%-28s %14s %9s %9s  %s\n' target executions seconds exec/s result | tee "$summary"
status=0
for target in "${targets[@]}"; do
  work=$out/$target
  mkdir -p "$work/corpus" "$work/findings"
  log=$work/run.log
  start=$(date +%s)
  result=clean
  # A generous time-out per input: at the lowest priority on a busy machine a slice of CPU can
  # take seconds to come. Allocation stacks are left out of the reports for speed; a finding's input, run again
  # (build/fuzz/bin/<target> FILE), reports them in full.
  if ! ASAN_OPTIONS=malloc_context_size=0 nice -n 19 "build/fuzz/bin/$target" -runs="$runs" \
      -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/findings/" "$work/corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result="FINDING, see $log"
    status=1
  fi
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  elapsed=$(($(date +%s) - start))
  printf '%-28s %14s %9s %9s  %s\n' "$target" "${executed:-?}" "$elapsed" \
    "$(( ${executed:-0} / (elapsed > 0 ? elapsed : 1) ))" "$result" | tee -a "$summary"
done
exit $status
