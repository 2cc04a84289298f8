#!/usr/bin/env bash
# Sets up, builds and runs every test: the native suite, then the Windows module with its PE test
# (win32), the plug-in in the simulated host as Windows modules under wine64 (win64), and the native
# suite as 32-bit x86 code under qemu-i386 (i386).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all
for preset in native win32 win64 i386; do
  echo "=== ${preset}"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
# The native suite under AddressSanitizer and UndefinedBehaviorSanitizer, then a minute of fuzzing.
echo "=== asan"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
echo "=== fuzz"
scripts/fuzz.sh 60
