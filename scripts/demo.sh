#!/usr/bin/env bash
# Sets up, builds, and runs the demo: the plug-in in the simulated host, one transfer of MM documents
# into a sales document, printed readably.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset native && cmake --build --preset native --target kombrel-host; } >"$log" 2>&1; then
  cat "$log"
  exit 1
fi
build/native/tools/kombrel_host/kombrel-host demo
