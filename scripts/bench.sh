#!/bin/sh
# Runs the library benchmark under Wine against the reference service (not part of the tests):
# one table on the terminal, the same as CSV in build/library_bench.csv.
exec sh "$(dirname "$0")/run-windows-program.sh" zyn_library_bench build/win32/bench/zyn_library_bench.exe \
  build/library_bench.csv
