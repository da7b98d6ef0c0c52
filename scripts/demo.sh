#!/usr/bin/env bash
# Builds java_vm and runs it on the bundled demo entry class and options file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default
exec env HOME="$PWD/demo/home" CLASSPATH="$PWD/build/java/demo/korvel_demo.jar" build/vm_host/java_vm -t
