#!/usr/bin/env bash
# Plots a real lsde run with tools/lsde-plot, reads the curves back out of the SVG and checks
# the error paths. Usage: lsde_plot_test.sh LSDE SOURCE_DIR (exit 77: skipped, no gnuplot).
set -euo pipefail

lsde=$1
source_dir=$(cd "$2" && pwd)
plot=$source_dir/tools/lsde-plot
example=$source_dir/examples/two-masses.csv

if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIPPED: gnuplot is not installed (Debian package gnuplot-nox)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect STATUS TEXT COMMAND...: COMMAND ends with STATUS and says TEXT on standard error
# (says nothing there when TEXT is empty).
expect() {
  local status=$1 text=$2 actual=0
  shift 2
  "$@" 2>"$work/stderr" || actual=$?
  [[ $actual == "$status" ]] || fail "$*: exit status $actual, expected $status"
  if [[ -z $text ]]; then
    [[ ! -s $work/stderr ]] || fail "$*: unexpected: $(cat "$work/stderr")"
  else
    grep -qF -- "$text" "$work/stderr" || fail "$*: no '$text' in: $(cat "$work/stderr")"
  fi
}

# Every data point of every curve as "PANEL TITLE T VALUE", read back from the pixels through
# the ticks: t = 0 and 10 on the time axis, value = 0 and 1 on the panel's own value axis.
points() {
  awk '
    function tick_label() {
      getline label
      sub(/<\/tspan>.*/, "", label); sub(/.*>/, "", label); gsub(/ /, "", label)
      return label
    }
    /<path stroke=.black.*text-anchor="middle"/ {
      split(substr($0, index($0, "d=\047M") + 4), xy, /[, ]/)
      label = tick_label()
      if (label == "0") t0 = xy[1]
      if (label == "10") t10 = xy[1]
    }
    /<path stroke=.black.*text-anchor="end"/ {
      split(substr($0, index($0, "d=\047M") + 4), xy, /[, ]/)
      label = tick_label()
      if (label == "0") v0 = xy[2]
      if (label == "1") v1 = xy[2]
    }
    /<g id="gnuplot_plot_/ {
      panel = $0; sub(/.*gnuplot_plot_[0-9]+/, "", panel); sub(/".*/, "", panel)
      title = $0; sub(/.*<title>/, "", title); sub(/<\/title>.*/, "", title)
      curve = 1
    }
    curve && /<path / { path = ""; reading = 1 }
    reading {
      path = path " " $0
      if ($0 !~ /\/>/) next
      reading = curve = 0
      sub(/.*d=\047/, "", path); sub(/\047.*/, "", path)
      count = split(path, vertex, /[ \t]+/)
      # The legend sample comes first; the data start at the second "M".
      for (i = 1; i <= count; i++) if (vertex[i] ~ /^M/) start = i
      for (i = start; i <= count; i++) {
        if (vertex[i] == "") continue
        split(substr(vertex[i], 2), xy, ",")
        printf "%s %s %.2f %.6f\n", panel, title, (xy[1] - t0) / (t10 - t0) * 10,
          (xy[2] - v0) / (v1 - v0)
      }
    }
  ' "$1"
}

# Compares the points with the report, line k at t = (10k + 1) * 0.01; prints what differs.
compare_with_report() {
  awk -v report="$1" '
    BEGIN {
      while ((getline line < report) > 0) {
        if (line !~ /^r= /) continue
        n = split(line, field, " ")
        half = (n - 2) / 2
        t = sprintf("%.2f", (10 * k++ + 1) * 0.01)
        for (j = 1; j <= half; j++) {
          want["a x" j " " t] = field[1 + j]
          want["b v" j " " t] = field[2 + half + j]
        }
      }
    }
    {
      key = $1 " " $2 " " $3
      if (!(key in want)) { print "unexpected point " $0; next }
      if ($4 - want[key] > 0.002 || want[key] - $4 > 0.002) print "at " key ": " $4 ", want " want[key]
      delete want[key]
    }
    END { for (key in want) print "missing point " key }
  '
}

"$lsde" "$example" </dev/null >"$work/run.txt"

# The image: x1, x2 above and v1, v2 below, through every report value at its time.
expect 0 "" "$plot" "$work/run.txt" -o "$work/file.svg"
differences=$(points "$work/file.svg" | compare_with_report "$work/run.txt")
[[ -z $differences ]] || fail "the curves are not the report: $(head -5 <<<"$differences")"
for text in x1 x2 v1 v2 Positions Velocities position velocity t; do
  grep -q ">$text</tspan>" "$work/file.svg" || fail "no text '$text' in the image"
done

# Standard input, "-" and a pipe from the program give the same image as the file.
expect 0 "" "$plot" -o "$work/stdin.svg" <"$work/run.txt"
expect 0 "" "$plot" - -o "$work/dash.svg" <"$work/run.txt"
"$lsde" "$example" </dev/null | "$plot" -o "$work/pipe.svg"
for image in stdin dash pipe; do
  cmp -s "$work/file.svg" "$work/$image.svg" || fail "$image.svg differs from file.svg"
done
(cd "$work" && "$plot" run.txt) || fail "no plot into the working directory"
[[ -s $work/lsde-plot.svg ]] || fail "no default lsde-plot.svg"

# PNG where this gnuplot can write one, a clear refusal otherwise.
if "$plot" "$work/run.txt" -o "$work/plot.png" 2>"$work/stderr"; then
  [[ $(head -c 4 "$work/plot.png" | tail -c 3) == PNG ]] || fail "plot.png is not a PNG"
else
  grep -qF "no PNG terminal" "$work/stderr" || fail "PNG failed: $(cat "$work/stderr")"
fi

# Errors: no report, malformed report lines, unreadable input, no gnuplot, bad options.
expect 1 "lsde-plot: no report lines in $example" "$plot" "$example" -o "$work/none.svg"
expect 1 "lsde-plot: no report lines in standard input" "$plot" -o "$work/none.svg" </dev/null
[[ ! -e $work/none.svg ]] || fail "an image was written without report lines"
sed '40s/ v= / 1.000000 v= /' "$work/run.txt" >"$work/extra.txt"
expect 1 "line 40: expected 2 positions and 2 velocities, found 3 and 2" \
  "$plot" "$work/extra.txt" -o "$work/bad.svg"
sed '41s/ v= .*//' "$work/run.txt" >"$work/no-v.txt"
expect 1 "line 41: report line without \"v=\"" "$plot" "$work/no-v.txt" -o "$work/bad.svg"
sed '42s/ v= -*/ v= x/' "$work/run.txt" >"$work/word.txt"
expect 1 "line 42: not a number: x" "$plot" "$work/word.txt" -o "$work/bad.svg"
expect 1 "cannot read $work/missing.txt" "$plot" "$work/missing.txt" -o "$work/bad.svg"
expect 1 "cannot read $work" "$plot" "$work" -o "$work/bad.svg"
expect 1 "gnuplot-nox" env GNUPLOT="$work/no-gnuplot" "$plot" "$work/run.txt"
expect 2 "Usage: lsde-plot" "$plot" --colour
expect 2 "Usage: lsde-plot" "$plot" "$work/run.txt" -o
expect 2 "Usage: lsde-plot" "$plot" "$work/run.txt" -o "$work/plot.pdf"
expect 2 "Usage: lsde-plot" "$plot" "$work/run.txt" "$work/run.txt"

((failures == 0)) || exit 1
echo "lsde-plot: all checks passed"
