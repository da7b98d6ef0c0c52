#!/usr/bin/env bash
# Builds the three Debian packages, runs lintian on them, unpacks them into a temporary
# root and uses them there as a user would: java_vm on the demo class, a C program
# built against the library with pkg-config and with find_package(KorvelMath) (the
# archive and the shared library), and a plain program run on the shared library
# through LD_PRELOAD.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset deb >/dev/null
cmake --build build-deb -j"$(nproc)" --target java_vm korvel_math korvel_math_shared korvel_demo >/dev/null
fail() { echo "package_check.sh: $*" >&2; exit 1; }
rm -f build-deb/*.deb
log=$(cd build-deb && cpack -G DEB 2>&1) || fail "cpack failed: $log"
[ "$(ls build-deb/*.deb | wc -l)" -eq 3 ] || fail "expected three packages: $(ls build-deb/*.deb)"
lintian --fail-on error build-deb/*.deb
runtime_deb=$(ls build-deb/libkorvel-math1_*.deb)
dev_deb=$(ls build-deb/libkorvel-math-dev_*.deb)
dpkg-deb -f "$dev_deb" Depends | grep -qF "libkorvel-math1 (= " || fail "libkorvel-math-dev does not depend on libkorvel-math1"

root=$(mktemp -d /tmp/korvel_package_check.XXXXXX)
trap 'rm -rf "$root"' EXIT
for deb in build-deb/*.deb; do dpkg-deb -x "$deb" "$root"; done

# The manual page renders without warnings.
[ -z "$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/java_vm.1.gz" 2>&1 >/dev/null)" ] ||
  fail "the manual page renders with warnings"
scripts/manpage_check.sh "$root/usr/share/man/man1/java_vm.1.gz" >/dev/null

# The unpacked java_vm on the demo class.
out=$(HOME="$PWD/demo/home" CLASSPATH="$PWD/build-deb/java/demo/korvel_demo.jar" "$root/usr/bin/java_vm" -t 2>&1) ||
  fail "java_vm exited $?: $out"
for line in "Java process: started Java VM OK" "Korvel demo started by java_vm" \
            "property korvel.demo.greeting = hello" "Korvel demo returns; java_vm exits 0"; do
  grep -qF "$line" <<<"$out" || fail "java_vm did not print '$line': $out"
done

# The C consumer, twice; its sqrt and fmod must be ours, in its dynamic symbol table.
check_consumer() {
  "$1" || fail "$1 did not reach our sqrt and fmod"
  for name in sqrt fmod; do
    nm -D --defined-only "$1" | grep -qE " [TW] $name$" || fail "$name is not defined in $1"
  done
}
consumer=scripts/package_consumer
flags=$(PKG_CONFIG_PATH="$root/usr/lib/$(gcc -print-multiarch)/pkgconfig" pkg-config --cflags --libs korvel_math)
cc -fno-builtin "$consumer/consumer.c" $flags -o "$root/consumer_pkg_config"
check_consumer "$root/consumer_pkg_config"
cmake -S "$consumer" -B "$root/consumer_build" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$root/consumer_build" >/dev/null
check_consumer "$root/consumer_build/consumer"

# The same program against the shared library: pkg-config korvel_math_shared and the
# CMake target KorvelMath::korvel_math_shared.
libdir="$root/usr/lib/$(gcc -print-multiarch)"
check_shared_consumer() {
  LD_LIBRARY_PATH="$libdir" "$1" || fail "$1 did not reach our sqrt and fmod in libkorvel_math.so.1"
  readelf -d "$1" | grep -qF "Shared library: [libkorvel_math.so.1]" || fail "$1 does not need libkorvel_math.so.1"
  local defined
  defined=$(nm -D --defined-only "$1")
  ! grep -qE " [TW] (sqrt|fmod)$" <<<"$defined" || fail "$1 carries its own sqrt or fmod"
}
flags=$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs korvel_math_shared)
cc -fno-builtin "$consumer/consumer.c" $flags -o "$root/consumer_shared_pkg_config"
check_shared_consumer "$root/consumer_shared_pkg_config"
cmake -S "$consumer" -B "$root/consumer_build_shared" -DCMAKE_PREFIX_PATH="$root/usr" -DCONSUMER_SHARED=ON >/dev/null
cmake --build "$root/consumer_build_shared" >/dev/null
check_shared_consumer "$root/consumer_build_shared/consumer"

# The symbols file gives programs linked against the library their dependency.
mkdir -p "$root/shlibdeps/debian" && dpkg-deb -e "$runtime_deb" "$root/DEBIAN"
printf 'Source: consumer\n\nPackage: consumer\nArchitecture: any\n' > "$root/shlibdeps/debian/control"
depends=$(cd "$root/shlibdeps" && dpkg-shlibdeps -O -l"$libdir" "$root/consumer_shared_pkg_config" 2>&1) ||
  fail "dpkg-shlibdeps failed: $depends"
grep -qF "libkorvel-math1 (>= " <<<"$depends" || fail "no dependency on libkorvel-math1: $depends"
echo "package_check.sh: a program linked against the shared library gets $depends"

# A program built against the C library's libm alone runs on our functions under LD_PRELOAD.
cc -fno-builtin "$consumer/consumer.c" -lm -o "$root/consumer_libm"
! "$root/consumer_libm" >/dev/null || fail "the C library's sqrt and fmod answered like ours"
LD_PRELOAD="$libdir/libkorvel_math.so.1" "$root/consumer_libm" >/dev/null ||
  fail "under LD_PRELOAD the plain program did not reach our sqrt and fmod"
echo "package_check.sh: the three packages pass lintian and work unpacked"
