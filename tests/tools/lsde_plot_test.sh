#!/usr/bin/env bash
# lsde_plot_test.sh LSDE SOURCE_DIR: plots a real run with tools/lsde-plot, checks the curves
# against the report and the error paths. Exit 77: skipped, no gnuplot.
set -euo pipefail

lsde=$1 source_dir=$(cd "$2" && pwd)
plot=$source_dir/tools/lsde-plot example=$source_dir/examples/two-masses.csv
command -v gnuplot >/dev/null || { echo "SKIPPED: no gnuplot (package gnuplot-nox)"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# expect TEXT COMMAND...: COMMAND ends with status 1 and says TEXT on standard error.
expect() {
  local text=$1 status=0; shift
  "$@" 2>"$work/stderr" || status=$?
  [[ $status == 1 ]] || fail "$*: exit status $status, expected 1"
  grep -qF -- "$text" "$work/stderr" || fail "$*: no '$text' in: $(cat "$work/stderr")"
}

# curves REPORT SVG: "PANEL TITLE POINTS FIT" per curve, FIT "line" when its pixels lie on a
# straight line against the report line index (x) and the title's report column (y, downwards).
curves() {
  awk '
    function add(p, x, y) { S[p,1] += x; S[p,2] += y; S[p,3] += x*x; S[p,4] += y*y; S[p,5] += x*y }
    function r(p) {  # the correlation of pair p
      return (N*S[p,5] - S[p,1]*S[p,2]) / sqrt((N*S[p,3] - S[p,1]^2) * (N*S[p,4] - S[p,2]^2)) }
    FNR == NR && $1 == "r=" { rows++; n = (NF - 2) / 2; for (f = 2; f <= NF; f++) v[rows, f] = $f }
    FNR == NR { next }
    match($0, /gnuplot_plot_[0-9]+[a-z]/) { panel = substr($0, RSTART + RLENGTH - 1, 1) }
    match($0, /<title>[^<]*/) && panel != "" { title = substr($0, RSTART + 7, RLENGTH - 7) }
    title != "" && /<path / { path = ""; reading = 1 }
    reading {
      path = path " " $0; if (!/\/>/) next
      sub(/.*d=\047/, "", path); sub(/\047.*/, "", path)
      sub(/^[^M]*M[^M]*M/, "", path); gsub(/L/, " ", path)  # the legend sample comes first
      f = (title ~ /^x/ ? 1 : n + 2) + substr(title, 2); count = split(path, vertex, /[ \t]+/)
      for (i = 1; i <= count; i++)
        if (split(vertex[i], xy, ",") == 2) { N++; add(1, N, xy[1]); add(2, v[N, f], xy[2]) }
      print panel, title, N, (r(1) > 0.99999 && r(2) < -0.99999 ? "line" : "bent")
      reading = 0; title = ""; N = 0; delete S
    }
  ' "$1" "$2"
}

"$lsde" "$example" </dev/null >"$work/run.txt"
"$plot" "$work/run.txt" -o "$work/file.svg" || fail "no plot of the run"
fits=$(curves "$work/run.txt" "$work/file.svg")
[[ $fits == $'a x1 100 line\na x2 100 line\nb v1 100 line\nb v2 100 line' ]] ||
  fail "the curves are not the report: $fits"
for text in x1 x2 v1 v2; do grep -q ">$text</tspan>" "$work/file.svg" || fail "no key $text"; done
"$plot" -o "$work/stdin.svg" <"$work/run.txt" || fail "no plot from standard input"
cmp -s "$work/file.svg" "$work/stdin.svg" || fail "the plot from standard input differs"

# A CSV run gives the same curves, its time read from the t column; a report is labelled with
# the step and interval it was made with.
paths() { grep -o "d='M[^']*" "$1"; }
"$lsde" --format csv "$example" | "$plot" -o "$work/csv.svg" || fail "no plot of the CSV"
[[ $(paths "$work/csv.svg") == "$(paths "$work/file.svg")" ]] || fail "the CSV plot differs"
"$lsde" --dt 0.001 --steps 2000 --every 5 --no-prompt "$example" |
  "$plot" --dt 0.001 --every 5 -o "$work/fine.svg" || fail "no plot with --dt and --every"
"$lsde" --dt 0.001 --steps 2000 --every 5 --format csv "$example" | "$plot" -o "$work/fine-csv.svg"
[[ $(paths "$work/fine.svg") == "$(paths "$work/fine-csv.svg")" ]] || fail "--dt and --every misplace time"

# The key of a CSV shows its own column names.
"$lsde" --format csv --dofs 2 "$example" | "$plot" -o "$work/dof.svg" || fail "no plot of --dofs 2"
[[ $(grep -o '>[xv][0-9]</tspan>' "$work/dof.svg" | tr '\n' ' ') == ">x2</tspan> >v2</tspan> " ]] ||
  fail "the key does not name the CSV's columns"

# A spectrum: PSa against the period on log axes, so that the pixels follow log T and log PSa.
printf 'a record\n\n\nNPTS= 6, DT= .02 SEC\n0.1 -0.3 0.2\n0.05 -0.1 0\n' >"$work/record.at2"
"$lsde" spectrum --format csv "$work/record.at2" >"$work/spectrum.csv"
"$plot" "$work/spectrum.csv" -o "$work/spectrum.svg" || fail "no plot of the spectrum"
fit=$(awk -F, '
  function r(p, q,    i, a, b, aa, bb, ab) {  # the correlation of p and q
    for (i = 1; i <= N; i++) { a += p[i]; b += q[i]; aa += p[i]^2; bb += q[i]^2; ab += p[i]*q[i] }
    return (N*ab - a*b) / sqrt((N*aa - a*a) * (N*bb - b*b)) }
  FNR == NR { if (FNR > 1) { period[++rows] = log($1); psa[rows] = log($4) }; next }
  /gnuplot_plot_1/ { curve = 1 }
  curve { path = path " " $0; if (/\/>/ && path ~ /d=\047M/) exit }
  END {
    sub(/.*d=\047M/, "", path); sub(/\047.*/, "", path); gsub(/L/, " ", path)
    n = split(path, v, /[ \t]+/)
    for (i = 1; i <= n; i++) if (split(v[i], xy, ",") == 2) { x[++N] = xy[1]; y[N] = -xy[2] }
    print N, rows, (r(period, x) > 0.99999 && r(psa, y) > 0.99999 ? "log-log" : "not log-log")
  }' "$work/spectrum.csv" "$work/spectrum.svg")
[[ $fit == "100 100 log-log" ]] || fail "the spectrum is not PSa against the period on log axes: $fit"

# A frequency response: amplitudes above on a log axis, phases below, against Ω, each curve
# "PANEL TITLE POINTS line" when its pixels lie on a line against Ω (x) and log |X| or arg X (y).
"$lsde" frf "$example" --omega 0:3:61 --dofs 2,1 --format csv >"$work/frf.csv"
"$plot" "$work/frf.csv" -o "$work/frf.svg" || fail "no plot of the frequency response"
fits=$(awk '
  function add(x, y) { S1 += x; S2 += y; S3 += x*x; S4 += y*y; S5 += x*y; N++ }
  function r() { return (N*S5 - S1*S2) / sqrt((N*S3 - S1^2) * (N*S4 - S2^2)) }
  FNR == NR && FNR == 1 { for (f = 1; f <= split($0, names, ","); f++) column[names[f]] = f; next }
  FNR == NR { rows++; for (f = 1; f <= split($0, cells, ","); f++) v[rows, f] = cells[f]; next }
  match($0, /gnuplot_plot_[0-9]+[a-z]/) { panel = substr($0, RSTART + RLENGTH - 1, 1) }
  match($0, /<title>[^<]*/) && panel != "" { title = substr($0, RSTART + 7, RLENGTH - 7) }
  title != "" && /<path / { path = ""; reading = 1 }
  reading {
    path = path " " $0; if (!/\/>/) next
    sub(/.*d=\047/, "", path); sub(/\047.*/, "", path); sub(/^[^M]*M[^M]*M/, "", path)
    gsub(/L/, " ", path); f = column[title]; S1 = S2 = S3 = S4 = S5 = N = 0; fit = "line"
    for (i = 1; i <= split(path, vertex, /[ \t]+/); i++)
      if (split(vertex[i], xy, ",") == 2) { add(v[N + 1, 1], xy[1]); k = N }
    if (r() < 0.99999) fit = "bent"
    S1 = S2 = S3 = S4 = S5 = N = 0
    for (i = 1; i <= split(path, vertex, /[ \t]+/); i++)
      if (split(vertex[i], xy, ",") == 2) add(title ~ /^amp/ ? log(v[N + 1, f]) : v[N + 1, f], xy[2])
    if (r() > -0.99999) fit = "bent"
    print panel, title, N, fit; reading = 0; title = ""
  }
' "$work/frf.csv" "$work/frf.svg")
[[ $fits == $'a amp2 61 line\na amp1 61 line\nb phase2 61 line\nb phase1 61 line' ]] ||
  fail "the curves are not the frequency response: $fits"

expect "lsde-plot: no report lines or CSV rows in $example" "$plot" "$example" -o "$work/none.svg"
[[ ! -e $work/none.svg ]] || fail "an image was written without report lines"
expect "lsde-plot: gnuplot not found; install the Debian package gnuplot-nox" \
  env GNUPLOT="$work/no-gnuplot" "$plot" "$work/run.txt" -o "$work/none.svg"

((failures == 0)) && echo "lsde-plot: all checks passed"
