#!/bin/sh
# The demo from a clean checkout: installs what is missing, builds the DLL, the reference
# service and the demo client, and runs the client under Wine.
exec sh "$(dirname "$0")/run-windows-program.sh" zyn_demo build/win32/tools/demo/zyn_demo.exe
