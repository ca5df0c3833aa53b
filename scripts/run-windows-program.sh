#!/bin/sh
# Builds one Windows program of a preset (win32 or win64) and runs it under Wine in the build's
# private prefix, inside a loopback-only network namespace, with a wineserver of its own.
# Usage: scripts/run-windows-program.sh PRESET TARGET PROGRAM-PATH [ARGUMENT...]
set -eu
cd "$(dirname "$0")/.."
preset="$1" target="$2" program="$3"
shift 3
sh scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target "$target"
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  sh scripts/wine-emu.sh "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit $status' sh "$program" "$@"
