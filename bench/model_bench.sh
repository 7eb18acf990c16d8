#!/usr/bin/env bash
# Times lsde on sparse models from Matrix Market files against the same run written with SciPy
# (bench/scipy_newmark.py: splu once, one solve a step), and checks that both print the same
# numbers. Models from gen_model: a chain of 1 000 000 unit masses (springs 1e4) and a steel
# cantilever of 926×5×5 bricks (n = 100 008); 1000 steps of dt = 1e-3, Newmark on both, the
# two-rate step on the chain as well. Prints a Markdown table; exit status 1 when a run fails or
# the two programs disagree.
#
#   bench/model_bench.sh LSDE [--gen PATH] [--work DIR] [--scale S] [--steps N] [--python PY]
#
# --scale (default $BENCH_MODEL_SCALE, else 1) shrinks both models: the chain to S·1e6 masses,
# the cantilever to S·926 bricks long, so --scale 0.01 is a quick try.
set -euo pipefail

usage() {
  echo "usage: $0 LSDE [--gen PATH] [--work DIR] [--scale S] [--steps N] [--python PY]" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
lsde=$1
shift
gen=build/release/bench/gen_model
work=build/bench-work/models
scale=${BENCH_MODEL_SCALE:-1}
steps=1000
python=${PYTHON:-}
while [[ $# -gt 0 ]]; do
  [[ $# -ge 2 ]] || usage
  case $1 in
    --gen) gen=$2 ;;
    --work) work=$2 ;;
    --scale) scale=$2 ;;
    --steps) steps=$2 ;;
    --python) python=$2 ;;
    *) usage ;;
  esac
  shift 2
done
peer="$(dirname "$0")/scipy_newmark.py"
timer=/usr/bin/time
[[ -x $timer ]] || { echo "$0: GNU time is needed at $timer (Debian package time)" >&2; exit 1; }
[[ -x $lsde ]] || { echo "$0: $lsde: no such program" >&2; exit 1; }
[[ -x $gen ]] || { echo "$0: $gen: no such program (cmake --build --preset release --target gen_model)" >&2; exit 1; }
# The first python3 that has SciPy: a virtual environment's may not, Debian's python3-scipy does.
if [[ -z $python ]]; then
  for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import scipy' 2>/dev/null; then python=$candidate; break; fi
  done
  [[ -n $python ]] || { echo "$0: no python3 with SciPy (Debian package python3-scipy)" >&2; exit 1; }
fi

chain_n=$(awk -v s="$scale" 'BEGIN { n = int(s * 1000000 + 0.5); print (n < 2 ? 2 : n) }')
solid_nx=$(awk -v s="$scale" 'BEGIN { n = int(s * 926 + 0.5); print (n < 2 ? 2 : n) }')
mkdir -p "$work"
"$gen" chain "$chain_n" "$work/chain" >"$work/chain.txt"
"$gen" solid "$solid_nx" 5 5 "$work/solid" >"$work/solid.txt"
solid_n=$(sed -n 's/.*n = \([0-9]*\),.*/\1/p' "$work/solid.txt")
dt=0.001
# Reported coordinates: the driven end, where the wave from it arrives within the run (it
# travels 100 masses a time unit), the middle and the far end; for the cantilever the z
# displacement of its first free node, of a node half-way and of the loaded end's last corner.
chain_dofs="1,$((chain_n < 50 ? chain_n : 50)),$(((chain_n + 1) / 2)),$chain_n"
solid_half=$((solid_n / 6))  # nodes half-way: 3·solid_half is a z dof
solid_dofs="3,$((3 * solid_half)),$solid_n"
# Rayleigh damping: light on the chain (the two-rate step needs (A + B·ω²)·dt ≤ 2, here 5e-4);
# on the cantilever B damps the stiff brick modes that no load excites.
chain_model=(--mass "$work/chain/M.mtx" --stiffness "$work/chain/K.mtx" --rayleigh "0.1,1e-5"
  --harmonic "$work/chain/loads.csv" --dofs "$chain_dofs")
solid_model=(--mass "$work/solid/M.mtx" --stiffness "$work/solid/K.mtx" --rayleigh "1,1e-6"
  --harmonic "$work/solid/loads.csv" --dofs "$solid_dofs")
run=(--dt "$dt" --steps "$steps" --every 1)

failed=0
rows=()
notes=()
# timed NAME COMMAND...: runs the command with its CSV to $work/NAME.csv and sets
# seconds and mib (empty when the run failed).
timed() {
  local name=$1
  shift
  seconds=
  mib=
  if "$timer" -f "%e %M" -o "$work/$name.time" "$@" >"$work/$name.csv" 2>"$work/$name.err"; then
    read -r seconds kib <"$work/$name.time"
    mib=$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')
  else
    echo "$0: $name failed: $* (see $work/$name.err)" >&2
    sed -n '1,5p' "$work/$name.err" >&2
    failed=1
  fi
}

# agreement A.csv B.csv: the largest difference between two runs' positions (velocities),
# relative to the largest position (velocity) that the first one printed; "identical" when the
# files are byte for byte the same.
agreement() {
  if cmp -s "$1" "$2"; then
    echo identical
    return
  fi
  "$python" - "$1" "$2" <<'EOF'
import sys
import numpy as np
def read(path):
    with open(path) as f:
        header = f.readline()
    return header, np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2)
(ha, a), (hb, b) = read(sys.argv[1]), read(sys.argv[2])
if ha != hb or a.shape != b.shape or not np.array_equal(a[:, 0], b[:, 0]):
    print("different rows")
    sys.exit()
half = (a.shape[1] - 1) // 2
worst = 0.0
for block in (slice(1, 1 + half), slice(1 + half, None)):
    scale = np.abs(a[:, block]).max()
    diff = np.abs(a[:, block] - b[:, block]).max()
    worst = max(worst, diff / scale if scale > 0 else diff)
print("%.1e" % worst)
EOF
}

# bench_case NAME N NNZ METHOD MODEL...: lsde and the peer on one model and method.
bench_case() {
  local name=$1 n=$2 nnz=$3 method=$4
  shift 4
  timed "$name-lsde" "$lsde" --method "$method" "$@" "${run[@]}" --format csv
  local lsde_seconds=$seconds lsde_mib=$mib
  timed "$name-scipy" "$python" "$peer" --method "$method" "$@" "${run[@]}"
  local peer_seconds=$seconds peer_mib=$mib
  notes+=("$name: $(tail -n 1 "$work/$name-scipy.err")")
  local ratio="" agree=""
  if [[ -n $lsde_seconds && -n $peer_seconds ]]; then
    ratio=$(awk -v a="$peer_seconds" -v b="$lsde_seconds" 'BEGIN { if (b > 0) printf "%.1f×", a / b }')
    agree=$(agreement "$work/$name-lsde.csv" "$work/$name-scipy.csv")
    if [[ $agree != identical ]] && ! awk -v d="$agree" 'BEGIN { exit !(d ~ /^[0-9.e+-]+$/ && d + 0 <= 1e-6) }'; then
      echo "$0: $name: lsde and SciPy disagree ($agree)" >&2
      failed=1
    fi
  fi
  rows+=("| $name | $n | $nnz | ${lsde_seconds:-failed} | $lsde_mib | ${peer_seconds:-failed} | $peer_mib | $ratio | $agree |")
}

chain_nnz=$((3 * chain_n - 2))
solid_nnz=$(sed -n 's/.*K: \([0-9]*\) entries.*/\1/p' "$work/solid.txt")
bench_case chain-newmark "$chain_n" "$chain_nnz" newmark "${chain_model[@]}"
bench_case chain-two-rate "$chain_n" "$chain_nnz" two-rate "${chain_model[@]}"
bench_case solid-newmark "$solid_n" "$solid_nnz" newmark "${solid_model[@]}"

echo
echo "Sparse models, $steps steps of dt = $dt (whole runs, wall time and peak RSS):"
echo
echo "| case | n | nnz(K) | lsde (s) | lsde peak (MiB) | SciPy (s) | SciPy peak (MiB) | SciPy / lsde | max rel. difference |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|"
printf '%s\n' "${rows[@]}"
echo
printf '%s\n' "${notes[@]}"
exit "$failed"
