#!/bin/sh
# The end of scripts/test.sh: where the time went, one row per phase, and one line that counts
# the tests of every suite (CTest's cases, the consumer test and the fuzz smoke run).
# Usage: scripts/test-report.sh LOG-FOLDER
logs="$1"
[ -f "$logs/phases" ] || exit 0
total=0
printf '\n%-28s %8s  %s\n' "phase" "seconds" "result"
while read -r line; do
  status=${line##* }
  rest=${line% *}
  seconds=${rest##* }
  name=${rest% *}
  [ "$status" -eq 0 ] && result=ok || result="FAILED ($status)"
  printf '%-28s %8s  %s\n' "$name" "$seconds" "$result"
  # The jobs' own rows overlap in time; the row of the whole parallel part counts once.
  case "$name" in
    "native tests" | "fuzz smoke run" | *" Wine prefix" | *" system tests" | "consumer test") ;;
    *) total=$((total + seconds)) ;;
  esac
done <"$logs/phases"
printf '%-28s %8s\n' "whole test command" "$total"

# A build that failed ran no test: then the table is all there is to say.
grep -q '^test jobs' "$logs/phases" || exit 0
passed=0 failed=0
for suite in native win32 win64; do
  [ "$suite" = win32 ] && grep -q "win32 system tests" "$logs/skipped" 2>/dev/null && continue
  # CTest's closing line: "100% tests passed, 0 tests failed out of 147".
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$suite.log" 2>/dev/null | tail -n 1)
  if [ -z "$summary" ]; then
    failed=$((failed + 1))
    continue
  fi
  out_of=${summary##* }
  not=$(printf '%s' "$summary" | sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/')
  passed=$((passed + out_of - not))
  failed=$((failed + not))
done
for check in "consumer test" "fuzz smoke run"; do
  if grep -q "^$check [0-9]* 0\$" "$logs/phases"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
if [ -f "$logs/skipped" ]; then
  printf '\nNot run: this machine'"'"'s kernel runs no 32-bit program, and so no 32-bit Windows program:\n'
  sed 's/^/  - /' "$logs/skipped"
fi
printf '\ntests: %s passed, %s failed\n' "$passed" "$failed"
