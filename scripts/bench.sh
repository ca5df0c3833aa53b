#!/bin/sh
# Runs the library benchmark under Wine against the reference service (not part of the tests):
# one table on the terminal, the same as CSV in build/library_bench.csv. A second build of the DLL
# without its state lock, in build/win32-unlocked (or win64-unlocked), gives what the lock costs.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
# A machine whose kernel runs no 32-bit program measures TRVZYN64.dll instead.
preset=win32 library=TRVZYN32
sh scripts/machine-runs-32bit.sh || preset=win64 library=TRVZYN64
cmake --preset $preset -B build/$preset-unlocked -DZYN_BENCH_WITHOUT_STATE_LOCK=ON >/dev/null
cmake --build build/$preset-unlocked --target $library
unlocked="Z:$(printf '%s' "$PWD/build/$preset-unlocked/src/$library.dll" | tr / '\\')"
exec sh scripts/run-windows-program.sh $preset zyn_library_bench build/$preset/bench/zyn_library_bench.exe \
  build/library_bench.csv --unlocked "$unlocked"
