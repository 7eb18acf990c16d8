#!/usr/bin/env bash
# Times lsde modes and lsde frf on the sizes their targets name: the 10 lowest modes of the
# 926×5×5 steel cantilever of gen_model (n = 100 008, target ≤ 20 s), every mode of a dense
# n = 1000 system of gen_system (≤ 2 s) and 1000 frequencies of a dense n = 200 one (≤ 2 s).
# Prints a Markdown table of wall and CPU seconds (both threads) and peak memory; exit status 1
# when a run fails.
#
#   bench/modal_bench.sh LSDE [--gen-model PATH] [--gen-system PATH] [--work DIR]
set -euo pipefail

usage() {
  echo "usage: $0 LSDE [--gen-model PATH] [--gen-system PATH] [--work DIR]" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
lsde=$1
shift
gen_model=build/release/bench/gen_model
gen_system=build/release/bench/gen_system
work=build/bench-work/modal
while [[ $# -gt 0 ]]; do
  [[ $# -ge 2 ]] || usage
  case $1 in
    --gen-model) gen_model=$2 ;;
    --gen-system) gen_system=$2 ;;
    --work) work=$2 ;;
    *) usage ;;
  esac
  shift 2
done
timer=/usr/bin/time
[[ -x $timer ]] || { echo "$0: GNU time is needed at $timer (Debian package time)" >&2; exit 1; }
for program in "$lsde" "$gen_model" "$gen_system"; do
  [[ -x $program ]] || { echo "$0: $program: no such program" >&2; exit 1; }
done

mkdir -p "$work"
"$gen_model" solid 926 5 5 "$work/solid" >/dev/null
"$gen_system" dense 1000 1 "$work/dense-1000.csv"
"$gen_system" dense 200 1 "$work/dense-200.csv"

# time TITLE TARGET ARGS...: one table row, the run's output left in $work/out.txt.
time_row() {
  local title=$1 target=$2
  shift 2
  if ! "$timer" -f '%e %U %S %M' -o "$work/time.txt" "$lsde" "$@" >"$work/out.txt" 2>"$work/err.txt"; then
    cat "$work/err.txt" >&2
    echo "$0: lsde $* failed" >&2
    exit 1
  fi
  read -r seconds user system kib <"$work/time.txt"
  printf '| %s | %s | %s | %.2f | %d |\n' "$title" "$target" "$seconds" \
    "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" "$((kib / 1024))"
}

echo "| analysis | target (s) | wall (s) | CPU (s) | peak RSS (MiB) |"
echo "|---|---:|---:|---:|---:|"
time_row "10 lowest modes, sparse cantilever n = 100 008" 20 modes --mass "$work/solid/M.mtx" \
  --stiffness "$work/solid/K.mtx" --rayleigh 0,1e-5 --format csv
time_row "all modes, dense n = 1000" 2 modes --count 1000 "$work/dense-1000.csv" --format csv
time_row "1000 frequencies, dense n = 200" 2 frf --omega 0:10:1000 "$work/dense-200.csv" \
  --dofs 1 --format csv
