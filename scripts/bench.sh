#!/bin/sh
# Runs the data-access benchmark under Wine against the reference service (not part of the tests).
exec sh "$(dirname "$0")/run-windows-program.sh" zyn_get_exchange_bench build/win32/bench/zyn_get_exchange_bench.exe
