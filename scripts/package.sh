#!/bin/sh
# The release archives from a clean checkout: installs what is missing, builds what ships of each
# architecture and lets CPack write build/packages/TRVZYN32-<version>-win32.zip (TRVZYN32.dll)
# and TRVZYN32-<version>-win64.zip (TRVZYN64.dll). Each holds README.md, bin/, lib/, include/,
# lib/cmake/TRVZYN32/ and share/doc/TRVZYN32/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
werror=""
[ "${CI:-}" = "true" ] && werror="-DZYN_WARNINGS_AS_ERRORS=ON"
for preset in win32 win64; do
  cmake --preset $preset $werror >/dev/null
  cmake --build --preset $preset --target zyn_shipped
  cpack --preset $preset >/dev/null
done
ls -l build/packages/*.zip
