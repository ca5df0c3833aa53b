#!/bin/sh
# The whole test suite from a clean checkout: installs what is missing, builds the three trees,
# then runs at the same time the native tests (sanitizers, fake platform) with the fuzz smoke run,
# the Windows tests of TRVZYN32.dll, those of TRVZYN64.dll with the cross-bitness tests, and the
# consumer test of the two release archives. Each Windows job has a Wine prefix of its own, so
# each has its own Service Control Manager and "ZYN Service". Each job's log is printed whole when
# the job ends; at the end, a table of where the time went and one line that counts the tests.
set -eu
cd "$(dirname "$0")/.."
logs="$PWD/build/test-logs"
rm -rf "$logs"
mkdir -p "$logs"
export ZYN_TEST_LOGS="$logs"
trap 'sh scripts/test-report.sh "$logs"' EXIT

# timed NAME COMMAND...: runs the command and records its wall time in the phase table.
timed() {
  name="$1"
  shift
  start=$(date +%s)
  status=0
  "$@" || status=$?
  printf '%s %s %s\n' "$name" $(($(date +%s) - start)) "$status" >>"$logs/phases"
  return $status
}

werror=""
[ "${CI:-}" = "true" ] && werror="-DZYN_WARNINGS_AS_ERRORS=ON"

timed "package check" sh scripts/install-deps.sh
for preset in native win32 win64; do
  timed "configure $preset" cmake --preset $preset $werror >/dev/null
done
# Both DLLs from the same sources: TRVZYN32.dll for 32-bit programs, TRVZYN64.dll for 64-bit ones.
# The win64 tree's cross-bitness tests start programs of the win32 tree, so both are built first.
for preset in native win32 win64; do
  timed "build $preset" cmake --build --preset $preset
done
# The fuzz targets; the smoke run below only runs them.
timed "configure fuzz" cmake --preset fuzz >/dev/null
timed "build fuzz" cmake --build --preset fuzz
# The release archives, which the consumer test unpacks and builds against: only the stripping
# and zipping are left to do, the trees above hold every binary.
timed "release archives" sh scripts/package.sh >/dev/null

# A wineserver started outside a job's namespace would carry the services outside it too.
for prefix in win32 win64 consumer; do
  WINEPREFIX="$PWD/build/wineprefix-$prefix" wineserver -k 2>/dev/null || true
done
sh scripts/test-jobs.sh
