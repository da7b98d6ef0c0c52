#!/usr/bin/env bash
# One SVG per table-driven function in docs/plots/: ulp error (against the exact value,
# from MPFR) of ours and of the platform libm on the accuracy tests' arguments, side by
# side. The axis is cut into 150 slices; each slice shows its largest error (points)
# and its mean (line). Usage: bench/accuracy_plot.sh [build folder] [arguments per function]
# Needs gnuplot (Debian package gnuplot-nox).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-20000}
command -v gnuplot >/dev/null || { echo "accuracy_plot.sh: install gnuplot-nox" >&2; exit 1; }
cmake --build "$build" -j2 --target accuracy_table >/dev/null
mkdir -p docs/plots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
libm=$(ldd --version | sed -n '1s/.*) /glibc /p')

# function, the horizontal axis (awk expression of the arguments $1, $2), its label,
# log or linear scale, and the part of it drawn
while read -r function axis label scale from to; do
  "$build/bench/accuracy_table" --dump "$function" "$count" >"$work/all"
  # Largest and mean error per slice; errors above 2 ulp are drawn at 2.
  awk -v scale="$scale" -v from="$from" -v to="$to" '
    function t(v) { return scale == "log" ? log(v) : v }
    { v = '"$axis"'; if (!(v >= from + 0 && v <= to + 0)) next
      n++; a[n] = v; o[n] = $3; p[n] = $4
      if (n == 1 || t(v) < lo) lo = t(v); if (n == 1 || t(v) > hi) hi = t(v) }
    END { w = (hi - lo) / 150; if (w == 0) w = 1
      for (i = 1; i <= n; i++) { s = int((t(a[i]) - lo) / w); if (s > 149) s = 149
        c[s]++; so[s] += o[i]; sp[s] += p[i]; if (!(s in mo) || o[i] > mo[s]) mo[s] = o[i]; if (!(s in mp) || p[i] > mp[s]) mp[s] = p[i]
        if (o[i] > maxo) maxo = o[i]; if (p[i] > maxp) maxp = p[i] }
      for (s = 0; s < 150; s++) if (c[s]) { m = lo + (s + 0.5) * w; if (scale == "log") m = exp(m)
        printf "%.6g %.4f %.4f %.4f %.4f\n", m, (mo[s] > 2 ? 2 : mo[s]), so[s] / c[s], (mp[s] > 2 ? 2 : mp[s]), sp[s] / c[s] }
      printf "%.3f %.3f %d\n", maxo, maxp, n > "/dev/stderr" }' "$work/all" >"$work/slices" 2>"$work/max"
  read -r max_ours max_libm points <"$work/max"
  gnuplot <<GNUPLOT
set terminal svg size 900,320 font "sans,11"
set output "docs/plots/$function.svg"
set multiplot layout 1,2 title "$function: error in ulps of the exact value, $points arguments"
$( [ "$scale" = log ] && echo "set logscale x; set format x '10^{%T}'" )
set xlabel "$label"
set ylabel "ulp"
set yrange [0:2.6]
set ytics 0, 0.5, 2
set key top left opaque
plot "$work/slices" using 1:2 with points pt 7 ps 0.3 lc rgb "#1f5fbf" title "ours, max $max_ours", \
     "" using 1:3 with lines lc rgb "#7f9fdf" title "mean"
plot "$work/slices" using 1:4 with points pt 7 ps 0.3 lc rgb "#bf3f1f" title "$libm, max $max_libm", \
     "" using 1:5 with lines lc rgb "#dfa08f" title "mean"
unset multiplot
GNUPLOT
  echo "docs/plots/$function.svg: ours max $max_ours ulp, libm max $max_libm ulp"
done <<'TABLE'
acos $1 x linear -1 1
asin $1 x linear -1 1
atan ($1<0?-$1:$1) |x| log 1e-320 1e308
atan2 ($1/$2<0?-$1/$2:$1/$2) |y/x| log 1e-320 1e308
sin ($1<0?-$1:$1) |x| log 1e-320 1e308
cos ($1<0?-$1:$1) |x| log 1e-320 1e308
tan ($1<0?-$1:$1) |x| log 1e-320 1e308
exp $1 x linear -746 710
log $1 x log 1e-320 1e308
pow ($1<0?-$1:$1) |x| log 1e-320 1e308
TABLE
