#!/usr/bin/env bash
# Accuracy of our 16 math functions and of the platform libm on the same
# arguments, against MPFR: one table. Usage: bench/accuracy_table.sh [build folder] [arguments per function]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-1000000}
cmake --build "$build" -j2 --target accuracy_table >/dev/null
echo "CPU: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'); libm: $(ldd --version | head -1)"
"$build/bench/accuracy_table" "$count"
