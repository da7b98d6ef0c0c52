#!/usr/bin/env bash
# Builds java_vm and the demo entry class only (preset demo: no tests, so only the
# compiler, CMake and the JDK are installed when missing; build folder build-demo),
# then runs java_vm on them with the bundled demo options file.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp /tmp/korvel_demo_setup.XXXXXX)
echo "Building java_vm and the demo class (log: $log) ..."
if ! scripts/setup.sh demo java_vm korvel_demo >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "demo.sh: setup or build failed; the whole log is $log" >&2
  exit 1
fi
rm -f "$log"
echo "Running: HOME=demo/home CLASSPATH=build-demo/java/demo/korvel_demo.jar build-demo/vm_host/java_vm -t"
echo "Options line: $(grep '^javakorvel.jre.params=' demo/home/.java/properties | tail -n 1)"
echo
exec env HOME="$PWD/demo/home" CLASSPATH="$PWD/build-demo/java/demo/korvel_demo.jar" build-demo/vm_host/java_vm -t
