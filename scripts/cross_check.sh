#!/usr/bin/env bash
# Builds the math library and the reproducibility digest (static, the math
# flags) for x86-64 with GCC, Clang and the portable core, and for aarch64,
# s390x and riscv64 with Debian's cross compilers; runs each (the foreign ones
# under qemu-user) and compares its digests with the committed x86-64 GCC ones.
# On a mismatch it prints the first differing call. Exits non-zero on any
# mismatch or failure.
# Usage: scripts/cross_check.sh [count]   (arguments per function, default 100000)
# With another count than the committed digests' (a deep run, 1000000), every
# build is compared with the x86-64 GCC build's digests at that count.
set -uo pipefail
cd "$(dirname "$0")/.."
committed_count=100000 # the count of the committed digests, as in the CTest test
count=${1:-$committed_count}
expected=tests/reproducibility/expected_x86_64_gcc.txt
out=build-cross
start=$SECONDS

packages=(make g++ clang g++-aarch64-linux-gnu g++-s390x-linux-gnu g++-riscv64-linux-gnu qemu-user)
scripts/install_packages.sh "${packages[@]}" || exit 1

# name | architecture | compiler label | compiler | extra flags | runner
targets=(
  "x86_64-gcc|x86-64|GCC|g++||"
  "x86_64-clang|x86-64|Clang|clang++||"
  "x86_64-gcc-portable|x86-64|GCC, portable core|g++|-DKORVEL_PORTABLE|"
  "aarch64-gcc|aarch64|GCC|aarch64-linux-gnu-g++||qemu-aarch64"
  "s390x-gcc|s390x|GCC|s390x-linux-gnu-g++||qemu-s390x"
  "riscv64-gcc|riscv64|GCC|riscv64-linux-gnu-g++||qemu-riscv64"
)
field() { cut -d'|' -f"$2" <<<"$1"; }

# The math flags of the CMake build, from the one place that sets them.
math_flags=$(sed -n 's/^set(KORVEL_MATH_FLAGS \(.*\))$/\1/p' CMakeLists.txt)
[ -n "$math_flags" ] || { echo "cross_check.sh: no KORVEL_MATH_FLAGS in CMakeLists.txt" >&2; exit 1; }

# One make run builds every target, two compilations at a time; -k keeps the
# other targets going when one fails to compile.
mkdir -p "$out"
{
  echo 'SOURCES := $(wildcard libm/*.cpp) tests/reproducibility/digest.cpp'
  echo "FLAGS := -std=c++20 -O2 -Ilibm $math_flags"
  echo 'all:'
  for t in "${targets[@]}"; do
    name=$(field "$t" 1) cxx=$(field "$t" 4) extra=$(field "$t" 5)
    echo "$out/$name/%.o: %.cpp ; @mkdir -p \$(@D) && $cxx \$(FLAGS) $extra -MMD -c \$< -o \$@"
    echo "$out/$name/digest: \$(patsubst %.cpp,$out/$name/%.o,\$(SOURCES)) ; @$cxx -static \$^ -o \$@"
    echo "all: $out/$name/digest"
    echo "-include \$(wildcard $out/$name/*/*.d $out/$name/*/*/*.d)"
  done
} >"$out/targets.mk"
make -s -k -j"${KORVEL_CROSS_JOBS:-2}" -f "$out/targets.mk" all 2>"$out/build.log"
built_at=$SECONDS

native="$out/x86_64-gcc"
first_difference() { # dir runner: the first call where this build and the x86-64 GCC build differ
  local dir=$1 runner=$2 fn
  fn=$(diff "$native/digests.txt" "$dir/digests.txt" | awk '/^[<>]/ {print $2; exit}')
  "$native/digest" "$count" --dump "$fn" >"$native/$fn.dump"
  $runner "$dir/digest" "$count" --dump "$fn" >"$dir/$fn.dump"
  echo "$dir: first call that differs from x86-64 GCC (function index arguments -> results flags errno kind):"
  diff --old-line-format='  x86-64 GCC: %L' --new-line-format='  this build: %L' --unchanged-line-format= \
    "$native/$fn.dump" "$dir/$fn.dump" | head -2
}

status_all=0
report=()
for t in "${targets[@]}"; do
  name=$(field "$t" 1) runner=$(field "$t" 6)
  dir="$out/$name"
  if [ ! -x "$dir/digest" ]; then
    status="build failed (see $out/build.log)"
  elif ! $runner "$dir/digest" "$count" >"$dir/digests.txt" 2>"$dir/run.log"; then
    status="run failed (see $dir/run.log)"
  elif [ "$name" = x86_64-gcc ] && [ "$count" != "$committed_count" ]; then
    expected="$dir/digests.txt"
    status="the reference at this count"
  elif cmp -s "$expected" "$dir/digests.txt"; then
    status="same digests"
  else
    status="DIFFERS: $(diff "$expected" "$dir/digests.txt" | awk '/^>/ {printf "%s ", $2}')"
    if [ "$name" = x86_64-gcc ]; then
      echo "x86-64 GCC differs from $expected: a result changed; if intended, update the file and say why."
    elif [ -s "$native/digests.txt" ] && cmp -s "$native/digests.txt" "$dir/digests.txt"; then
      status="$status(as x86-64 GCC)"
    elif [ -s "$native/digests.txt" ]; then
      first_difference "$dir" "$runner"
    fi
  fi
  case $status in "same digests" | "the reference"*) ;; *) status_all=1 ;; esac
  report+=("$(printf '| %-8s | %-18s | %s |' "$(field "$t" 2)" "$(field "$t" 3)" "$status")")
done

if grep -q 'error' "$out/build.log"; then
  echo "compiler errors (first 20 lines of $out/build.log):"
  grep -m20 'error' "$out/build.log"
fi
echo
echo "| Architecture | Compiler | Digests ($count arguments per function) |"
echo "|---|---|---|"
printf '%s\n' "${report[@]}"
echo
echo "cross_check.sh: $((SECONDS - start)) s in all ($((built_at - start)) s building)"
exit $status_all
