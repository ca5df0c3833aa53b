#!/bin/sh
# The whole test suite from a clean checkout: installs what is missing, builds and runs the
# native tests (sanitizers, fake platform), the Windows tests of both DLLs under Wine, and the
# consumer test of the two release archives.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh

werror=""
[ "${CI:-}" = "true" ] && werror="-DZYN_WARNINGS_AS_ERRORS=ON"

cmake --preset native $werror >/dev/null
cmake --build --preset native
ctest --preset native
# A short run keeps the parser fuzz target building and clean; long runs: scripts/fuzz.sh SECONDS.
sh scripts/fuzz.sh 15 >build/fuzz-smoke.log 2>&1 || { tail -n 30 build/fuzz-smoke.log; exit 1; }

# Both DLLs from the same sources: TRVZYN32.dll for 32-bit programs, TRVZYN64.dll for 64-bit ones.
# The win64 tree's cross-bitness tests start programs of the win32 tree, so both are built first.
for preset in win32 win64; do
  cmake --preset $preset $werror >/dev/null
  cmake --build --preset $preset
done
# The release archives, which the consumer test unpacks and builds against.
sh scripts/package.sh >/dev/null
# A wineserver started outside the namespace would carry the services outside it too. Both test
# runs share the one prefix and the one wineserver.
WINEPREFIX="$PWD/build/wineprefix" wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  ctest --preset win32 || status=$?
  ctest --preset win64 || status=$?
  WINEPREFIX="$PWD/build/wineprefix" sh scripts/consumer-test.sh || status=$?
  WINEPREFIX="$PWD/build/wineprefix" wineserver -k 2>/dev/null || true
  exit $status'
