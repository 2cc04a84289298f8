#!/usr/bin/env bash
# Runs the libFuzzer target (preset fuzz) for a bounded time, from the seed corpus in fuzz/corpus.
#   scripts/fuzz.sh [seconds]    default 60
# New inputs go to build/fuzz/corpus, an input that breaks an invariant to build/fuzz/artifacts/; the
# run fails then. Reproduce one with: build/fuzz/fuzz/kombrel_fuzz build/fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target kombrel_fuzz >/dev/null
mkdir -p build/fuzz/corpus build/fuzz/artifacts
exec build/fuzz/fuzz/kombrel_fuzz build/fuzz/corpus fuzz/corpus -max_total_time="$seconds" \
  -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1
