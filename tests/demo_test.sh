#!/bin/sh
# Runs `kombrel-host demo` and checks that its key lines are there, each a whole line as printed.
#   demo_test.sh KOMBREL_HOST PLUGIN KEY_LINES
set -u
# KOMBREL_HOST_EMULATOR, when set, is the command that runs a cross-built kombrel-host.
tool=$1 plugin=$2 key_lines=$3
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
${KOMBREL_HOST_EMULATOR:-} "$tool" demo --plugin "$plugin" >"$out" 2>"$err"
status=$?
failed=0
if [ "$status" -ne 0 ]; then echo "exit status $status"; failed=1; fi
if [ -s "$err" ]; then echo "standard error:"; cat "$err"; failed=1; fi
while IFS= read -r line; do
  case $line in '' | '#'*) continue ;; esac
  if ! grep -qxF -- "$line" "$out"; then
    echo "missing line: $line"
    failed=1
  fi
done <"$key_lines"
if [ "$failed" -ne 0 ]; then echo "--- the demo printed:"; cat "$out"; fi
exit $failed
