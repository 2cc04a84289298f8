#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all
cmake --preset native
cmake --build --preset native
ctest --preset native
