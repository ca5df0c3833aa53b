#!/bin/sh
# Runs a Windows program under Wine in the build's private prefix. The prefix is created on first
# use, and a persistent wineserver with its system processes is started detached from the
# caller's pipes, so that CTest does not wait for Wine's helper processes after every test.
set -e
: "${WINEPREFIX:?WINEPREFIX must name the private prefix}"
export WINEARCH="${WINEARCH:-win32}" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -u >/dev/null 2>&1 </dev/null || true
  wineserver -w
fi
if wineserver -p 2>/dev/null; then
  wineboot >/dev/null 2>&1 </dev/null || true
fi
exec wine "$@"
