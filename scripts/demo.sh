#!/bin/sh
# The demo from a clean checkout: installs what is missing, builds the DLL, the reference
# service, zynctl and the demo client, and runs under Wine, in the build's private prefix and in
# a loopback-only network namespace: first a zynctl session (scripts/zynctl-session.sh), then
# the client, which shows the same library called from a program of one's own.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zynctl zyn_demo
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver started outside the namespace would carry the services outside it too.
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  printf "#### Part 1: zynctl, the command line\n"
  sh scripts/zynctl-session.sh build/win32/tools/zynctl || status=$?
  printf "\n#### Part 2: zyn_demo.exe, a program calling TRVZYN32.dll\n"
  [ $status -ne 0 ] || sh scripts/wine-emu.sh build/win32/tools/demo/zyn_demo.exe || status=$?
  wineserver -k 2>/dev/null || true
  exit $status'
