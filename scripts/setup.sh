#!/usr/bin/env bash
# Installs the Debian packages the build needs (when missing), configures and builds.
# Usage: scripts/setup.sh [preset]   (preset: default, ci or asan; default: default)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

packages=(cmake make g++ openjdk-17-jdk-headless libgtest-dev libbenchmark-dev libmpfr-dev clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake --preset "$preset" >/dev/null
builddir=build
[ "$preset" = asan ] && builddir=build-asan
cmake --build "$builddir" -j"$(nproc)"
