#!/usr/bin/env bash
# Whole-process start-up: java_vm running an empty start() against the java launcher running the
# same class with the same verification (-Xverify:all), in alternated runs; prints the medians
# and their ratio. Usage: bench/startup.sh [pairs]   (default 21; needs the default build)
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${1:-21}
java_vm=build/vm_host/java_vm
jar=$PWD/build/java/host_e2e/host_e2e_empty.jar
if [ ! -x "$java_vm" ] || [ ! -f "$jar" ]; then
  cmake --preset default >/dev/null
  cmake --build build -j2 --target java_vm host_e2e_empty >/dev/null
fi
# The launcher of the JDK java_vm is linked against.
jvm_lib=$(ldd "$java_vm" | awk '/libjvm.so/ { print $3 }')
java=$(dirname "$(dirname "$(dirname "$jvm_lib")")")/bin/java
[ -x "$java" ] || java=$(command -v java)

home=$(mktemp -d)   # no options file: the host's defaults (verification of all classes)
trap 'rm -rf "$home"' EXIT

now_ns() { date +%s%N; }
host_times=() launcher_times=()
for ((i = 0; i < pairs; i++)); do
  start=$(now_ns)
  env -i HOME="$home" CLASSPATH="$jar" PATH=/usr/bin:/bin "$java_vm"
  host_times+=($(( ($(now_ns) - start) / 1000 )))
  start=$(now_ns)
  env -i HOME="$home" PATH=/usr/bin:/bin "$java" -Xverify:all -cp "$jar" quarn.korvel.navig.motif.Korvel
  launcher_times+=($(( ($(now_ns) - start) / 1000 )))
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
host=$(median "${host_times[@]}")
launcher=$(median "${launcher_times[@]}")
echo "launcher: $java"
echo "pairs: $pairs"
echo "java_vm median: $((host / 1000)) ms"
echo "java -Xverify:all median: $((launcher / 1000)) ms"
awk -v h="$host" -v l="$launcher" 'BEGIN { printf "ratio java_vm / java: %.3f\n", h / l }'
