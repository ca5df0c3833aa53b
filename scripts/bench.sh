#!/bin/sh
# Runs the library benchmark under Wine against the reference service (not part of the tests):
# one table on the terminal, the same as CSV in build/library_bench.csv. A second build of the DLL
# without its state lock, in build/win32-unlocked, gives what the lock costs.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 -B build/win32-unlocked -DZYN_BENCH_WITHOUT_STATE_LOCK=ON >/dev/null
cmake --build build/win32-unlocked --target TRVZYN32
unlocked="Z:$(printf '%s' "$PWD/build/win32-unlocked/src/TRVZYN32.dll" | tr / '\\')"
exec sh scripts/run-windows-program.sh zyn_library_bench build/win32/bench/zyn_library_bench.exe \
  build/library_bench.csv --unlocked "$unlocked"
