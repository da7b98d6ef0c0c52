#!/usr/bin/env bash
# Runs the batch benchmark and prints, per function (and with 2 % special
# lanes, "+2%"), ns per element for our batch entry, our scalar loop, the
# platform libm's scalar loop and libmvec's AVX2 and AVX-512 variants (where
# the processor has them; "-" otherwise), each the median of its repetitions
# with the interquartile range, and the speed-ups of our batch entry over our
# scalar loop and over the AVX2 variant (medians of per-repetition ratios).
# Usage: bench/batch_table.sh [build folder] [batch_bench args...]
# KORVEL_BATCH_TARGET forces the instruction set of the batch entries.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ $# -gt 0 ] && shift
bench="$build/bench/batch_bench"
[ -x "$bench" ] || cmake --build "$build" -j2 --target batch_bench >/dev/null
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$bench" "$@" | awk -F, '
  NR == 1 { next }
  {
    key = $1 SUBSEP $2
    ns[key] = sprintf("%.2f (%.2f-%.2f)", $3, $4, $5); ratio[key] = $6
    if (!($1 in seen)) { seen[$1] = 1; order[++count] = $1 }
  }
  function cell(f, v) { return ((f SUBSEP v) in ns) ? ns[f SUBSEP v] : "-" }
  END {
    printf "| %-12s | %-18s | %-18s | %-18s | %-18s | %-18s | %-13s | %-12s |\n", "function", "batch ns (IQR)", "our scalar loop", "libm loop", "libmvec AVX2", "libmvec AVX-512", "scalar/batch", "AVX2/batch"
    printf "|--------------|--------------------|--------------------|--------------------|--------------------|--------------------|---------------|--------------|\n"
    for (i = 1; i <= count; i++) {
      f = order[i]
      avx2 = ((f SUBSEP "libmvec_avx2") in ratio) ? sprintf("%.2f", ratio[f SUBSEP "libmvec_avx2"]) : "-"
      printf "| %-12s | %-18s | %-18s | %-18s | %-18s | %-18s | %-13.2f | %-12s |\n", f, cell(f, "batch"), cell(f, "scalar_loop"), cell(f, "libm_loop"), cell(f, "libmvec_avx2"), cell(f, "libmvec_avx512"), ratio[f SUBSEP "scalar_loop"], avx2
    }
  }'
