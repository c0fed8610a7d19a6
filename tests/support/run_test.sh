#!/usr/bin/env bash
# Runs one test program. LeakSanitizer's own tracer thread now and then crashes while it stops
# the threads the GL driver leaves running at exit ("LeakSanitizer has encountered a fatal
# error"): that says nothing about the program, so such a run is taken once more, leak check
# and all. Any other failure stands as it is.
set -uo pipefail
output=$(mktemp)
trap 'rm -f "$output"' EXIT
# Into a file, not a pipe: a server a test starts must not hold the run open.
"$@" >"$output" 2>&1
status=$?
cat "$output"
if [ "$status" -ne 0 ] && grep -q "LeakSanitizer has encountered a fatal error" "$output" &&
   ! grep -q "ERROR: LeakSanitizer: detected memory leaks" "$output"; then
  echo "run_test.sh: LeakSanitizer's tracer failed, not the test: running it once more"
  "$@"
  status=$?
fi
exit "$status"
