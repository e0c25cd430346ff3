#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a while (default 60 s) from its checked-in
# seed corpus; new finds go to a scratch folder, so the repository is left as it was.
# Usage: fuzz/run_fuzzers.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in number_text_fuzz canvas_line_fuzz; do
  corpus=${target%_fuzz}
  mkdir -p "$scratch/$corpus"
  echo "-- $target for ${seconds}s"
  status=0
  build/fuzz/fuzz/$target -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$scratch/" "$scratch/$corpus" "fuzz/corpus/$corpus" \
    >"$scratch/$target.log" 2>&1 || status=$?
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$scratch/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$scratch/$target.log" >&2
    echo "$target found a failing input (status $status)" >&2
    exit 1
  fi
done
