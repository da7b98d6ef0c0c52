#!/usr/bin/env bash
# Builds and runs every test: the normal build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
# CI: warnings are errors, and fewer random arguments per accuracy test (10^6 locally).
if [ "${CI:-}" = true ]; then
  preset=ci
  export KORVEL_ACCURACY_SAMPLES=${KORVEL_ACCURACY_SAMPLES:-100000}
fi
scripts/setup.sh "$preset"
ctest --test-dir build --output-on-failure -j"$(nproc)"
# The same math digests on x86-64 (GCC, Clang, portable core), aarch64, s390x and riscv64.
scripts/cross_check.sh
# Bounded fuzz run of the option parser and atoml (clang, libFuzzer, ASan + UBSan).
fuzz/run.sh 30
scripts/setup.sh asan
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
