#!/usr/bin/env bash
# Runs the math benchmarks and prints: function, ours ns, libm ns, ratio, for
# throughput and latency. Usage: bench/math_table.sh [build folder] [benchmark args...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift
bench="$build/bench/math_bench"
[ -x "$bench" ] || cmake --build "$build" -j2 --target math_bench >/dev/null
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$bench" --benchmark_format=csv --benchmark_min_time=0.5 "$@" 2>/dev/null | awk -F, '
  # name is "function/ours|libm/throughput|latency"; cpu_time per batch of calls,
  # items_per_second gives ns per call.
  NR == 1 { for (i = 1; i <= NF; i++) if ($i == "items_per_second") col = i; next }
  {
    gsub(/"/, "", $1); split($1, part, "/")
    ns = 1e9 / $col
    key = part[1] SUBSEP part[3]
    value[key, part[2]] = ns
    if (!(part[1] in seen)) { seen[part[1]] = 1; order[++count] = part[1] }
  }
  END {
    printf "| %-15s | %10s | %10s | %6s | %10s | %10s | %6s |\n", "function", "ours ns", "libm ns", "ratio", "ours lat", "libm lat", "ratio"
    printf "|-----------------|------------|------------|--------|------------|------------|--------|\n"
    for (i = 1; i <= count; i++) {
      f = order[i]
      to = value[f, "throughput", "ours"]; tl = value[f, "throughput", "libm"]
      lo = value[f, "latency", "ours"]; ll = value[f, "latency", "libm"]
      printf "| %-15s | %10.2f | %10.2f | %6.2f | %10.2f | %10.2f | %6.2f |\n", f, to, tl, to / tl, lo, ll, lo / ll
    }
  }'
