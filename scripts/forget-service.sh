#!/bin/sh
# Stops and deletes the "ZYN Service" entry and removes zyn.ini and the rewrite's scratch file
# from the Wine prefix in WINEPREFIX: an earlier run that was interrupted may have left them.
cd "$(dirname "$0")/.."
sh scripts/wine-emu.sh sc stop "ZYN Service" >/dev/null 2>&1 || true
sh scripts/wine-emu.sh sc delete "ZYN Service" >/dev/null 2>&1 || true
rm -f "$WINEPREFIX/drive_c/windows/zyn.ini" "$WINEPREFIX/drive_c/windows/__zyntmp.ini"
