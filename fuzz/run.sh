#!/usr/bin/env bash
# Builds the options fuzz target with clang (libFuzzer + ASan + UBSan) and runs it
# for a bounded time. Usage: fuzz/run.sh [seconds]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
if ! command -v clang++ >/dev/null; then
  echo "fuzz/run.sh: clang++ not found, fuzz run skipped" >&2
  exit 0
fi
jdk=${JAVA_HOME:-$(dirname "$(dirname "$(readlink -f "$(command -v javac)")")")}
jvm_dir=$jdk/lib/server
out=build-fuzz
mkdir -p "$out" fuzz/corpus-run
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I vm_host -I "$jdk/include" -I "$jdk/include/linux" \
  fuzz/options_fuzz.cpp vm_host/java_vm.cpp vm_host/jdk11_invocation.cpp \
  -L "$jvm_dir" -Wl,-rpath,"$jvm_dir" -ljvm -o "$out/options_fuzz"
# Stderr of the target carries the illegal-option messages: closed (mask 2);
# libFuzzer keeps its own reports.
# Its progress goes to a log; the log is shown only when the run fails.
log=$out/fuzz.log
if ! "$out/options_fuzz" -max_total_time="$seconds" -max_len=512 -close_fd_mask=2 \
  -dict=fuzz/options.dict fuzz/corpus-run fuzz/seeds >"$log" 2>&1; then
  tail -n 60 "$log" >&2
  echo "fuzz/run.sh: the options fuzz target failed (log: $log)" >&2
  exit 1
fi
echo "fuzz/run.sh: $(grep -E '^Done ' "$log" | tail -n 1), no failure"
