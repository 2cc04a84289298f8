#!/usr/bin/env bash
# The plug-in's own line, region and branch coverage reached by fuzz corpora. Builds the fuzz target with
# clang's source coverage and no sanitizer in build/fuzz-coverage, replays every input in a process of
# its own (the target puts the module's writable data back before every input, its counters with it),
# and reports each file of the plug-in.
#   scripts/fuzz_coverage.sh [CORPUS ...]    default: build/fuzz/corpus and fuzz/corpus
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --all
corpora=("$@")
[[ ${#corpora[@]} -eq 0 ]] && corpora=(build/fuzz/corpus fuzz/corpus)

build=build/fuzz-coverage
flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DKOMBREL_FUZZ=ON -DKOMBREL_SANITIZE= -DBUILD_TESTING=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS=-fprofile-instr-generate \
  -DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate >/dev/null
cmake --build "$build" --target kombrel_fuzz >/dev/null

profiles="$build/profiles"
rm -rf "$profiles"
mkdir -p "$profiles"
inputs=0
while IFS= read -r -d '' input; do
  LLVM_PROFILE_FILE="$PWD/$profiles/%p-%m.profraw" "$build/fuzz/kombrel_fuzz" "$input" >/dev/null 2>&1 ||
    echo "an input broke an invariant: $input" >&2
  inputs=$((inputs + 1))
done < <(find "${corpora[@]}" -maxdepth 1 -type f -print0 2>/dev/null)
echo "inputs replayed: $inputs"
find "$profiles" -name '*.profraw' -print0 | xargs -0 llvm-profdata merge -sparse -o "$build/corpus.profdata"
llvm-cov report "$build/libKombrel.so" -instr-profile="$build/corpus.profdata" host boundary transfer settings common
