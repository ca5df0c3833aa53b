#!/bin/sh
# The demo from a clean checkout: installs what is missing, builds the DLL, the reference
# service and the demo client, and runs the client under Wine in the build's private prefix,
# inside a loopback-only network namespace.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zyn_demo
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  sh scripts/wine-emu.sh build/win32/tools/demo/zyn_demo.exe || status=$?
  wineserver -k 2>/dev/null || true
  exit $status'
