#!/bin/sh
# The demo from a clean checkout: installs what is missing, builds both DLLs, the reference
# service, zynctl and the demo client of each bitness, and runs under Wine, in the build's private
# prefix and in a loopback-only network namespace: first a zynctl session
# (scripts/zynctl-session.sh), then the 32-bit client, which shows the same library called from a
# program of one's own and, while the service runs, hands one section to the 64-bit client.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target zynctl zyn_demo
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target zynctl zyn_demo
# Wine shows the machine's root directory as drive Z:.
partner="Z:$(printf '%s' "$PWD/build/win64/tools/demo/zyn_demo.exe" | tr / '\\')"
# A machine whose kernel runs no 32-bit program shows the 64-bit programs alone.
main=win32 title="TRVZYN32.dll, and its 64-bit partner" partner_switch="--partner=$partner"
if ! sh scripts/machine-runs-32bit.sh; then
  main=win64 title="TRVZYN64.dll (this machine runs no 32-bit program)" partner_switch=""
fi
export WINEPREFIX="$PWD/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A wineserver started outside the namespace would carry the services outside it too.
wineserver -k 2>/dev/null || true
sh scripts/in-loopback-namespace.sh sh -c '
  status=0
  printf "#### Part 1: zynctl, the command line\n"
  sh scripts/zynctl-session.sh "build/$1/tools/zynctl" || status=$?
  printf "\n#### Part 2: zyn_demo.exe, a program calling %s\n" "$2"
  [ $status -ne 0 ] || sh scripts/wine-emu.sh "build/$1/tools/demo/zyn_demo.exe" ${3:+"$3"} || status=$?
  wineserver -k 2>/dev/null || true
  exit $status' sh "$main" "$title" "$partner_switch"
