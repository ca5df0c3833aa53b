#!/bin/sh
# Runs a Windows program under Wine in the build's private prefix. The prefix is created on first
# use, and a persistent wineserver with its system processes is started detached from the
# caller's pipes, so that CTest does not wait for Wine's helper processes after every test.
set -e
: "${WINEPREFIX:?WINEPREFIX must name the private prefix}"
# The wine command starts every program through Wine's 32-bit loader. Where the kernel runs no
# 32-bit program, the 64-bit loader runs the 64-bit programs itself, and no 32-bit one can run.
wine=wine
if ! sh "$(dirname "$0")/machine-runs-32bit.sh"; then
  wine=/usr/lib/wine/wine64
  export WINELOADER="$wine"
fi
export WINEARCH="${WINEARCH:-win64}" WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The 32-bit and the 64-bit builds share one win64 prefix, which runs programs of both. A prefix
# that an older checkout made as win32 runs no 64-bit program and is not taken over silently.
if [ "$WINEARCH" = win64 ] && grep -q '^#arch=win32' "$WINEPREFIX/system.reg" 2>/dev/null; then
  echo "wine-emu.sh: $WINEPREFIX is a 32-bit prefix; remove it, and it is made anew as win64" >&2
  exit 1
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -u >/dev/null 2>&1 </dev/null || true
  wineserver -w
fi
if wineserver -p 2>/dev/null; then
  "$wine" wineboot >/dev/null 2>&1 </dev/null || true
fi
exec "$wine" "$@"
