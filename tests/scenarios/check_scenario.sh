#!/bin/sh
# Runs one scenario file with kombrel-host and compares what it prints with the expected output.
#   check_scenario.sh KOMBREL_HOST PLUGIN SCENARIO.json EXPECTED
# EXPECTED is NAME.expected.json (exit 0, nothing on stderr, standard output equal to it) or
# NAME.expected-error (exit 2, nothing on standard output, standard error equal to it).
set -u
# KOMBREL_HOST_EMULATOR, when set, is the command that runs a cross-built kombrel-host.
tool=$1 plugin=$2 scenario=$3 expected=$4
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
${KOMBREL_HOST_EMULATOR:-} "$tool" run "$scenario" --plugin "$plugin" >"$out" 2>"$err"
status=$?
case $expected in
  *.expected-error)
    want_status=2 want_out=/dev/null compare_out=$out want_err=$expected ;;
  *)
    want_status=0 want_out=$expected compare_out=$out want_err=/dev/null ;;
esac
failed=0
if [ "$status" -ne "$want_status" ]; then
  echo "exit status $status, expected $want_status"
  failed=1
fi
if ! diff -u "$want_err" "$err"; then
  echo "standard error differs (above)"
  failed=1
fi
if ! diff -u "$want_out" "$compare_out"; then
  echo "standard output differs from $want_out (above)"
  failed=1
fi
exit $failed
