#!/bin/sh
# Runs the data-access benchmark under Wine against the reference service (not part of the tests).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zyn_get_exchange_bench
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  sh scripts/wine-emu.sh build/win32/bench/zyn_get_exchange_bench.exe || status=$?
  wineserver -k 2>/dev/null || true
  exit $status'
