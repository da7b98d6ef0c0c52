#!/usr/bin/env bash
# Builds the two Debian packages, runs lintian on them, unpacks them into a temporary
# root and uses them there as a user would: java_vm on the demo class, and a C program
# built against the library with pkg-config and with find_package(KorvelMath).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset deb >/dev/null
cmake --build build-deb -j"$(nproc)" --target java_vm korvel_math korvel_demo >/dev/null
fail() { echo "package_check.sh: $*" >&2; exit 1; }
rm -f build-deb/*.deb
log=$(cd build-deb && cpack -G DEB 2>&1) || fail "cpack failed: $log"
lintian --fail-on error build-deb/*.deb

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
echo "package_check.sh: both packages pass lintian and work unpacked"
