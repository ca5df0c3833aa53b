#!/bin/sh
# The demo from a clean checkout: installs what is missing, builds both DLLs, the reference
# service and the demo client of each bitness, and runs the 32-bit client under Wine; while the
# service runs, it hands one section to the 64-bit client, which uses the same exchange.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target zyn_demo
# Wine shows the machine's root directory as drive Z:.
partner="Z:$(printf '%s' "$PWD/build/win64/tools/demo/zyn_demo.exe" | tr / '\\')"
exec sh scripts/run-windows-program.sh zyn_demo build/win32/tools/demo/zyn_demo.exe "--partner=$partner"
