#!/usr/bin/env bash
# Builds and runs every test: the normal build, then the sanitizer build.
# Accuracy tests draw KORVEL_ACCURACY_SAMPLES random arguments per set: 10^5 by
# default, as in CI; KORVEL_ACCURACY_SAMPLES=1000000 runs the full sweeps.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
# CI: warnings are errors.
if [ "${CI:-}" = true ]; then
  preset=ci
fi
scripts/setup.sh "$preset"
ctest --test-dir build --output-on-failure -j"$(nproc)"
# The same math digests on x86-64 (GCC, Clang, portable core), aarch64, s390x and riscv64.
scripts/cross_check.sh
# Both Debian packages built, checked by lintian and used unpacked.
scripts/package_check.sh
# Bounded fuzz run of the option parser and atoml (clang, libFuzzer, ASan + UBSan).
fuzz/run.sh 30
# The sanitizer build looks for memory and undefined-behaviour faults, not
# numeric ones: a few thousand arguments per accuracy set.
scripts/setup.sh asan
KORVEL_ACCURACY_SAMPLES=3000 ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
