#!/usr/bin/env bash
# One short, bounded fuzz run as a test: run_fuzz_target.sh PROGRAM SEEDS WORK SECONDS.
# New inputs go to WORK (under the build folder), never into the committed seeds; a finding is
# written there too, and fails the test.
set -euo pipefail
program=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/findings"
exec "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/findings/" "$work/corpus" "$seeds"
