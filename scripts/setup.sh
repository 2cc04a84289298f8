#!/usr/bin/env bash
# Installs what the build needs from Debian's packages, only what is missing.
#   scripts/setup.sh            what the native build, the demo and its tests need (kombrel-host: JSON,
#                               ncurses for its terminal host, tmux for the test that drives it)
#   scripts/setup.sh --all      everything the full test run needs: also the MinGW-w64 cross compilers
#                               (win32, win64), wine64 (win64 scenarios), g++-multilib and qemu-user (i386),
#                               clang (asan, fuzz), Google Benchmark, valgrind, llvm (fuzz coverage)
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev nlohmann-json3-dev libncurses-dev tmux)
if [[ "${1:-}" == "--all" ]]; then
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 wine64 g++-multilib qemu-user libbenchmark-dev valgrind)
  packages+=(clang libclang-rt-14-dev llvm)  # the asan and fuzz presets; llvm-cov for the fuzz coverage
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
