#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build for a bounded time and fails on the first finding:
# a crash, a sanitizer report, a hang (no end within 10 s) or memory beyond 2 GiB.
# Usage: scripts/run-fuzzers.sh SECONDS
# Each target works on its own corpus under build/fuzz/corpus/, seeded from fuzz/corpus/ and
# kept between runs; what it finds is saved under build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: run-fuzzers.sh SECONDS}
build=build/fuzz
mkdir -p "$build/findings"

shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
[[ ${#targets[@]} -gt 0 ]] || { echo "no fuzz targets in $build/fuzz: run cmake --build --preset fuzz" >&2; exit 1; }

for program in "${targets[@]}"; do
  target=$(basename "$program" _fuzz)
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$build/findings/$target-")
  [[ -f fuzz/$target.dict ]] && options+=(-dict="fuzz/$target.dict")
  log=$build/$target.log
  echo "fuzzing $target for $seconds s (log: $log)"
  if ! "$program" "${options[@]}" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz target $target found a fault; the input is in $build/findings/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done' "$log" || true
done
