#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, only what is missing.
#   scripts/setup.sh            what the native build, the demo and its tests need
#   scripts/setup.sh --all      everything the full test run needs
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev)
if [[ "${1:-}" == "--all" ]]; then
  packages+=(libbenchmark-dev valgrind)
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
