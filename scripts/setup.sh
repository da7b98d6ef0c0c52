#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (when missing), configures and builds.
# Usage: scripts/setup.sh [preset [target...]]
#   preset: default, ci, asan or demo (default: default); targets: build only these (default: all)
#   demo builds no tests (KORVEL_BUILD_TESTS=OFF, folder build-demo) and needs only the
#   compiler, CMake and the JDK.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
targets=("${@:2}")

packages=(cmake make g++ openjdk-17-jdk-headless)
if [ "$preset" != demo ]; then
  packages+=(libgtest-dev libmpfr-dev clang libclang-rt-14-dev dpkg-dev lintian pkg-config man-db)
fi
scripts/install_packages.sh "${packages[@]}"

cmake --preset "$preset" >/dev/null
builddir=build
[ "$preset" = asan ] && builddir=build-asan
[ "$preset" = demo ] && builddir=build-demo
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$builddir" -j"$(nproc)" --target "${targets[@]}"
else
  cmake --build "$builddir" -j"$(nproc)"
fi
