#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (when missing), configures and builds.
# Usage: scripts/setup.sh [preset [target...]]
#   preset: default, ci or asan (default: default); targets: build only these (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
targets=("${@:2}")

packages=(cmake make g++ openjdk-17-jdk-headless libgtest-dev libmpfr-dev clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  # sudo resets the environment: the variable has to go through env to reach apt-get.
  if [ "$(id -u)" -eq 0 ]; then
    as_root=(env)
  elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo env)
  else
    echo "setup.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "setup.sh: you are not root and sudo is not installed; as root, run" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    echo "setup.sh: then run $0 again." >&2
    exit 1
  fi
  "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake --preset "$preset" >/dev/null
builddir=build
[ "$preset" = asan ] && builddir=build-asan
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$builddir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$builddir" -j"$(nproc)"
fi
