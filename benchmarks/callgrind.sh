#!/usr/bin/env bash
# Instructions per slot test of the merge, counted by callgrind, so that they do not depend on the
# machine's load: one iteration of the merge benchmark at a fixed size (2,000 slots, 1,000 used, 1,000
# collected positions of which 500 merge) under valgrind --tool=callgrind.
#   benchmarks/callgrind.sh [build directory]      default: build/bench (cmake --preset bench)
# Prints the instructions per slot test of WstawPozycjeMM (the whole merge and insertion, the host
# services it calls included), of DolaczDoPozycji (the merge test) and of the bare loop over the same
# slots. Keeps callgrind's output in the build directory for callgrind_annotate.
set -euo pipefail

build=${1:-build/bench}
bench="$build/benchmarks/kombrel-bench"
out="$build/callgrind"
mkdir -p "$out"
[[ -x "$bench" ]] || { echo "no $bench: cmake --preset bench && cmake --build --preset bench" >&2; exit 1; }

valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  "$bench" --benchmark_filter='^Merge/case:0/' --benchmark_min_time=0 \
  --benchmark_format=json --benchmark_out="$out/bench.json" >/dev/null 2>"$out/valgrind.log" || true
callgrind_annotate --inclusive=yes --threshold=100 --auto=no "$out/callgrind.out" >"$out/annotate.txt"

# A figure of the benchmark's JSON report, e.g. "slot_tests": 1.9e+06,
figure() { awk -v key="\"$1\":" '$1 == key { gsub(/,/, "", $2); print $2; exit }' "$out/bench.json"; }
# The inclusive instruction count of a function, from callgrind_annotate's report. A function may be
# listed more than once, by the source files its code comes from; the entry that carries its calls
# counts the most.
instructions() {
  awk -v name="$1" 'index($0, name) { gsub(/,/, "", $1); if ($1 + 0 > most) most = $1 + 0 } END { if (most) print most }' \
    "$out/annotate.txt"
}

iterations=$(figure iterations)
slot_tests=$(figure slot_tests)
merge_tests=$(figure merge_tests)
insert=$(instructions "WstawPozycjeMM(")
test=$(instructions "DolaczDoPozycji(")
bare=$(instructions "BareLoop(")
[[ -n "$iterations" && -n "$slot_tests" && -n "$merge_tests" && -n "$insert" && -n "$test" && -n "$bare" ]] || {
  echo "callgrind run incomplete: see $out" >&2
  exit 1
}

awk -v n="$iterations" -v t="$slot_tests" -v m="$merge_tests" -v insert="$insert" -v test="$test" \
  -v bare="$bare" 'BEGIN {
  printf "Merge 2000 / 1000 / 1000 / 500: %d iteration(s) of %d slot tests, %d of them in merge tests\n", n, t, m
  printf "Instructions (callgrind, inclusive):\n"
  printf "  WstawPozycjeMM, the whole merge and insertion  %6.2f per slot test\n", insert / (n * t)
  printf "  DolaczDoPozycji, the merge test                %6.2f per slot test of the merge passes\n", test / (n * m)
  printf "  bare loop over the same passes                 %6.2f per slot test\n", bare / (n * t)
  printf "  ratio WstawPozycjeMM / bare loop               %6.2f\n", insert / bare
}'
