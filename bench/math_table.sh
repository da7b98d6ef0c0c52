#!/usr/bin/env bash
# Runs the math benchmarks and prints, per function and argument set, ours and
# the platform's ns per call and their ratio (ours / libm) with its spread, for
# throughput and latency. Usage: bench/math_table.sh [build folder] [--shared] [math_bench args...]
# With --shared, ours are the functions of libkorvel_math.so.1 (math_bench_shared).
# The ratio is the median of the per-repetition ratios (ours and libm timed in
# alternation on the same arguments); the spread is their interquartile range.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift
program=math_bench
if [ "${1:-}" = --shared ]; then
  program=math_bench_shared
  shift
fi
bench="$build/bench/$program"
[ -x "$bench" ] || cmake --build "$build" -j2 --target "$program" >/dev/null
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$bench" "$@" | awk -F, '
  NR == 1 { next }
  {
    key = $1 SUBSEP $2
    ours[key] = $3; libm[key] = $4; ratio[key] = $5; spread[key] = sprintf("%.2f-%.2f", $6, $7)
    if (!($1 in seen)) { seen[$1] = 1; order[++count] = $1 }
  }
  END {
    printf "| %-15s | %8s | %8s | %5s | %-9s | %8s | %8s | %5s | %-9s |\n", "function", "ours ns", "libm ns", "ratio", "IQR", "ours lat", "libm lat", "ratio", "IQR"
    printf "|-----------------|----------|----------|-------|-----------|----------|----------|-------|-----------|\n"
    for (i = 1; i <= count; i++) {
      f = order[i]; t = f SUBSEP "throughput"; l = f SUBSEP "latency"
      printf "| %-15s | %8.2f | %8.2f | %5.2f | %-9s | %8.2f | %8.2f | %5.2f | %-9s |\n", f, ours[t], libm[t], ratio[t], spread[t], ours[l], libm[l], ratio[l], spread[l]
    }
  }'
