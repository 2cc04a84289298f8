#!/usr/bin/env bash
# Sets up, builds, and runs the plug-in in the simulated host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native --target kombrel-host >/dev/null
exec build/native/tools/kombrel_host/kombrel-host demo
