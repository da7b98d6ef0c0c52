#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing, as root or through sudo.
# Usage: scripts/install_packages.sh package...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
# sudo resets the environment: the variable has to go through env to reach apt-get.
if [ "$(id -u)" -eq 0 ]; then
  as_root=(env)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo env)
else
  echo "install_packages.sh: these Debian packages are missing: ${missing[*]}" >&2
  echo "install_packages.sh: you are not root and sudo is not installed; as root, run" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  echo "install_packages.sh: then run the command again." >&2
  exit 1
fi
"${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
