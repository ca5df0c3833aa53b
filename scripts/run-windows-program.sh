#!/bin/sh
# Builds one Windows program of the win32 preset and runs it under Wine in the build's private
# prefix, inside a loopback-only network namespace, with a wineserver of its own.
# Usage: scripts/run-windows-program.sh TARGET PROGRAM-PATH [ARGUMENT...]
set -eu
cd "$(dirname "$0")/.."
target="$1" program="$2"
shift 2
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target "$target"
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  sh scripts/wine-emu.sh "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit $status' sh "$program" "$@"
