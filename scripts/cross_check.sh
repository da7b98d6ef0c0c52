#!/usr/bin/env bash
# Builds the math library and the reproducibility digest (static, the math
# flags) for x86-64 with GCC, Clang and the portable core, and for aarch64,
# s390x and riscv64 with Debian's cross compilers; runs each (the foreign ones
# under qemu-user) and compares its digests with the committed x86-64 GCC ones.
# The batch entry points are built for each architecture's instruction sets
# from Highway's headers alone, and each run also holds them to the scalar
# digests: on x86-64 the set the dispatcher picks, on aarch64 NEON and SVE
# (qemu's "max" processor), elsewhere the portable form.
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

# name | architecture | compiler label | compiler | extra flags | runner |
# batch instruction sets built | batch set the run uses ("any": the dispatcher's choice) |
# build of another line to run again (nothing built for this line)
targets=(
  "x86_64-gcc|x86-64|GCC|g++||env|sse4 avx2 avx512|any|"
  "x86_64-clang|x86-64|Clang|clang++||env|sse4 avx2 avx512|any|"
  "x86_64-gcc-portable|x86-64|GCC, portable core|g++|-DKORVEL_PORTABLE|env|portable|portable|"
  "aarch64-gcc|aarch64|GCC, NEON|aarch64-linux-gnu-g++||env KORVEL_BATCH_TARGET=neon qemu-aarch64|neon sve|neon|"
  "aarch64-gcc-sve|aarch64|GCC, SVE|||env KORVEL_BATCH_TARGET=sve qemu-aarch64 -cpu max||sve|aarch64-gcc"
  "s390x-gcc|s390x|GCC|s390x-linux-gnu-g++||env qemu-s390x|portable|portable|"
  "riscv64-gcc|riscv64|GCC|riscv64-linux-gnu-g++||env qemu-riscv64|portable|portable|"
)
field() { cut -d'|' -f"$2" <<<"$1"; }

# Each batch instruction set's flags, as libm/CMakeLists.txt gives them.
x86_batch="-DHWY_COMPILE_ONLY_STATIC -DHWY_DISABLE_PCLMUL_AES -DHWY_DISABLE_BMI2_FMA -DHWY_DISABLE_F16C"
batch_flags() {
  case $1 in
  sse4) echo "$x86_batch -msse4.2" ;;
  avx2) echo "$x86_batch -mavx2" ;;
  avx512) echo "$x86_batch -mavx512f -mavx512bw -mavx512dq -mavx512vl" ;;
  neon) echo "-DHWY_COMPILE_ONLY_STATIC" ;;
  sve) echo "-DHWY_COMPILE_ONLY_STATIC -march=armv8.2-a+sve" ;;
  portable) echo "-DHWY_COMPILE_ONLY_STATIC" ;;
  esac
}

# The math flags of the CMake build, from the one place that sets them.
math_flags=$(sed -n 's/^set(KORVEL_MATH_FLAGS \(.*\))$/\1/p' CMakeLists.txt)
[ -n "$math_flags" ] || { echo "cross_check.sh: no KORVEL_MATH_FLAGS in CMakeLists.txt" >&2; exit 1; }

# One make run builds every target, two compilations at a time; -k keeps the
# other targets going when one fails to compile.
# Highway's headers for every compiler, without the rest of /usr/include.
mkdir -p "$out/hwy-include"
ln -sfn /usr/include/hwy "$out/hwy-include/hwy"
{
  echo 'SOURCES := $(wildcard libm/*.cpp) libm/batch/batch_dispatch.cpp tests/reproducibility/digest.cpp'
  echo 'BATCH_SOURCES := $(filter-out libm/batch/batch_dispatch.cpp,$(wildcard libm/batch/batch_*.cpp))'
  echo "FLAGS := -std=c++20 -O2 -Ilibm $math_flags -fno-exceptions"
  echo "BATCH_FLAGS := -isystem $out/hwy-include -DHWY_IS_DEBUG_BUILD=0"
  echo 'all:'
  for t in "${targets[@]}"; do
    name=$(field "$t" 1) cxx=$(field "$t" 4) extra=$(field "$t" 5)
    [ -z "$(field "$t" 9)" ] || continue
    objects="\$(patsubst %.cpp,$out/$name/%.o,\$(SOURCES))"
    echo "$out/$name/%.o: %.cpp ; @mkdir -p \$(@D) && $cxx \$(FLAGS) $extra -MMD -c \$< -o \$@"
    for set in $(field "$t" 7); do
      echo "$out/$name/batch-$set/%.o: libm/batch/%.cpp ; @mkdir -p \$(@D) && $cxx \$(FLAGS) $extra \$(BATCH_FLAGS) $(batch_flags "$set") -MMD -c \$< -o \$@"
      objects="$objects \$(patsubst libm/batch/%.cpp,$out/$name/batch-$set/%.o,\$(BATCH_SOURCES))"
    done
    echo "$out/$name/digest: $objects ; @$cxx -static \$^ -o \$@"
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
  name=$(field "$t" 1) runner=$(field "$t" 6) batch=$(field "$t" 8) build=$(field "$t" 9)
  dir="$out/$name"
  mkdir -p "$dir"
  [ -z "$build" ] || ln -sfn "$PWD/$out/$build/digest" "$dir/digest"
  if [ ! -x "$dir/digest" ]; then
    status="build failed (see $out/build.log)"
  elif ! $runner "$dir/digest" "$count" --batch "$batch" >"$dir/digests.txt" 2>"$dir/run.log"; then
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
  batch_used=$(sed -n 's/^batch digests on \([^:]*\): same as the scalar ones$/\1/p' "$dir/run.log" 2>/dev/null)
  report+=("$(printf '| %-8s | %-18s | %s | %s |' "$(field "$t" 2)" "$(field "$t" 3)" "$status" "${batch_used:-no}")")
done

if grep -q 'error' "$out/build.log"; then
  echo "compiler errors (first 20 lines of $out/build.log):"
  grep -m20 'error' "$out/build.log"
fi
echo
echo "| Architecture | Compiler | Digests ($count arguments per function) | Batch entries agree on |"
echo "|---|---|---|---|"
printf '%s\n' "${report[@]}"
echo
echo "cross_check.sh: $((SECONDS - start)) s in all ($((built_at - start)) s building)"
exit $status_all
