#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all
cmake --preset native
cmake --build --preset native
ctest --preset native
# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, then a minute of fuzzing.
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
scripts/fuzz.sh 60
