#!/usr/bin/env bash
# Whole-process start-up: java_vm running an empty start() against the java launcher running the
# same class with the same verification (-Xverify:all), in alternated runs; prints the medians
# and their ratio. A third run per round, java_vm with -verifyremote in its options file, gives
# what the host's default of full verification costs against the VM's own default.
# Usage: bench/startup.sh [rounds]   (default 21; needs the default build)
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
remote_home=$(mktemp -d)
trap 'rm -rf "$home" "$remote_home"' EXIT
mkdir "$remote_home/.java"
echo 'javakorvel.jre.params=-verifyremote' >"$remote_home/.java/properties"

now_ns() { date +%s%N; }
host_times=() launcher_times=() remote_times=() factors=()
for ((i = 0; i < pairs; i++)); do
  start=$(now_ns)
  env -i HOME="$home" CLASSPATH="$jar" PATH=/usr/bin:/bin "$java_vm"
  host_times+=($(( ($(now_ns) - start) / 1000 )))
  start=$(now_ns)
  env -i HOME="$home" PATH=/usr/bin:/bin "$java" -Xverify:all -cp "$jar" quarn.korvel.navig.motif.Korvel
  launcher_times+=($(( ($(now_ns) - start) / 1000 )))
  start=$(now_ns)
  env -i HOME="$remote_home" CLASSPATH="$jar" PATH=/usr/bin:/bin "$java_vm"
  remote_times+=($(( ($(now_ns) - start) / 1000 )))
  factors+=("$(awk -v h="${host_times[i]}" -v r="${remote_times[i]}" 'BEGIN { printf "%.3f", h / r }')")
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
quartiles() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 3) / 4)] "-" v[int((3 * NR + 1) / 4)] }'; }
host=$(median "${host_times[@]}")
launcher=$(median "${launcher_times[@]}")
remote=$(median "${remote_times[@]}")
echo "launcher: $java"
echo "rounds: $pairs"
echo "java_vm median: $((host / 1000)) ms"
echo "java -Xverify:all median: $((launcher / 1000)) ms"
awk -v h="$host" -v l="$launcher" 'BEGIN { printf "ratio java_vm / java: %.3f\n", h / l }'
echo "java_vm -verifyremote median: $((remote / 1000)) ms"
echo "full verification / -verifyremote, per round: median $(median "${factors[@]}"), quartiles $(quartiles "${factors[@]}")"
