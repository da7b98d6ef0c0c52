#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (when missing), configures and builds.
# Usage: scripts/setup.sh [preset [target...]]
#   preset: default, ci or asan (default: default); targets: build only these (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
targets=("${@:2}")

packages=(cmake make g++ openjdk-17-jdk-headless libgtest-dev libmpfr-dev clang libclang-rt-14-dev
          dpkg-dev lintian pkg-config man-db)
scripts/install_packages.sh "${packages[@]}"

cmake --preset "$preset" >/dev/null
builddir=build
[ "$preset" = asan ] && builddir=build-asan
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$builddir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$builddir" -j"$(nproc)"
fi
